#include "ModelHelpers.h"

#include "AAStore.h"
#include "Category.h"
#include "LineReader.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

std::string DescribeTree(const CCategory& category)
{
    std::string strOut = category.GetName() + "{";
    for (int nIndex : category.GetAAList())
        strOut += std::to_string(nIndex) + ",";
    strOut += "}[";
    for (int i = 0; i < category.GetChildCount(); ++i) {
        const CCategory* pChild = category.GetChildAt(i);
        EXPECT_EQ(pChild->GetParent(), &category);
        strOut += DescribeTree(*pChild);
    }
    return strOut + "]";
}

std::string MakeAAFile(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& strName : names)
        text += "[MojieName=" + strName + "]\r\nbody\r\n[END]\r\n";
    return text;
}

void LoadStoreFromText(CAAStore& store, std::string_view text)
{
    CTempDir dir;
    CLineReader reader(dir.Write("store.txt", text));
    store.Load(reader);
}
