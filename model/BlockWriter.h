#pragma once

#include <charconv>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

// Output that is collected in one fixed block and handed to a sink whenever
// the block is full. Text and numbers are formatted straight into the block,
// so writing an index file of millions of lines costs neither an allocation
// a line nor memory for the whole file.
class CBlockWriter
{
public:
    // Receives the bytes written, in order, a block at a time. It may throw
    // to stop the writing.
    using SinkFn = std::function<void(std::string_view)>;

    static constexpr std::size_t kDefaultBlockSize = std::size_t{64} * 1024;

    explicit CBlockWriter(SinkFn fnSink, std::size_t nBlockSize = kDefaultBlockSize)
        : m_fnSink(std::move(fnSink)), m_nBlockSize(nBlockSize < kMinBlockSize ? kMinBlockSize : nBlockSize),
          m_pBlock(std::make_unique<char[]>(m_nBlockSize))
    {}
    // Whatever was not flushed is dropped: a destructor must not throw.
    virtual ~CBlockWriter() = default;

    CBlockWriter(const CBlockWriter&) = delete;
    CBlockWriter& operator=(const CBlockWriter&) = delete;

    void Write(std::string_view text)
    {
        while (text.size() > m_nBlockSize - m_nUsed) {
            const std::size_t nPart = m_nBlockSize - m_nUsed;
            std::memcpy(m_pBlock.get() + m_nUsed, text.data(), nPart);
            m_nUsed = m_nBlockSize;
            text.remove_prefix(nPart);
            Flush();
        }
        std::memcpy(m_pBlock.get() + m_nUsed, text.data(), text.size());
        m_nUsed += text.size();
    }

    void WriteChar(char ch)
    {
        if (m_nUsed == m_nBlockSize)
            Flush();
        m_pBlock[m_nUsed++] = ch;
    }

    // The decimal text of n, as printf's "%d" writes it, and an LF.
    void WriteNumberLine(long long n)
    {
        if (m_nBlockSize - m_nUsed < kMaxNumberLine)
            Flush();
        char* pBegin = m_pBlock.get() + m_nUsed;
        char* pEnd = std::to_chars(pBegin, pBegin + kMaxNumberLine - 1, n).ptr;
        *pEnd = '\n';
        m_nUsed += static_cast<std::size_t>(pEnd + 1 - pBegin);
    }

    // Hands what the block holds to the sink.
    void Flush()
    {
        if (m_nUsed == 0)
            return;
        const std::size_t nUsed = m_nUsed;
        m_nUsed = 0;
        m_fnSink(std::string_view(m_pBlock.get(), nUsed));
    }

private:
    // A long long takes at most 20 characters ("-9223372036854775808").
    static constexpr std::size_t kMaxNumberLine = 21;
    static constexpr std::size_t kMinBlockSize = 64;

    SinkFn m_fnSink;
    std::size_t m_nBlockSize;
    std::unique_ptr<char[]> m_pBlock;
    std::size_t m_nUsed = 0;
};
