#include "ViewHost.h"

#include <utility>

namespace
{
IViewHost* g_pViewHost = nullptr;
} // namespace

IViewHost* GetViewHost()
{
    return g_pViewHost;
}

IViewHost* SetViewHost(IViewHost* pHost)
{
    return std::exchange(g_pViewHost, pHost);
}
