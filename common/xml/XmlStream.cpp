#include "common/xml/XmlStream.h"

#include <algorithm>
#include <ctime>
#ifndef _WIN32
#include <cwchar>
#include <string>
#endif

namespace XML {

namespace {

// Longest run of character data, and longest tag text read before its '>'.
constexpr uint32_t kParseBufferSize = 102400;
constexpr uint32_t kSkipChunk = 4096;

uint32_t SystemSeconds() { return static_cast<uint32_t>(std::time(nullptr)); }

// The programs only run on Windows; the reader is also built natively for fuzzing, where the
// path goes to fopen in the locale's multibyte form.
FILE* OpenForReading(const wchar_t* path) {
#ifdef _WIN32
    return _wfopen(path, L"rb");
#else
    std::mbstate_t state{};
    const wchar_t* source = path;
    const size_t length = std::wcsrtombs(nullptr, &source, 0, &state);
    if (length == static_cast<size_t>(-1))
        return nullptr;
    std::string narrow(length, '\0');
    source = path;
    std::wcsrtombs(&narrow[0], &source, length, &state);
    return std::fopen(narrow.c_str(), "rb");
#endif
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsXmlDeclaration(const char* tagText) {
    static const char kPrefix[] = "?xml ";
    for (int i = 0; kPrefix[i]; ++i) {
        if (Fold(tagText[i]) != kPrefix[i])
            return false;
    }
    return true;
}

}  // namespace

void IStream::Parse(std::unique_ptr<CNode>& root) {
    // One buffer per call holds first the character data, then the tag text.
    std::unique_ptr<char[]> buffer(new char[kParseBufferSize + 1]);
    CNode* current = nullptr;
    uint32_t dataLength = 0;
    char c = 0;

    while (!IsEOF()) {
        if (Read(&c, 1) != 1)
            break;
        if (c != '<') {
            if (dataLength == kParseBufferSize)
                throw StreamException("Content too big");
            buffer[dataLength++] = c;
            continue;
        }

        // The data goes to the element still open when the next tag begins.
        if (dataLength > 0 && current) {
            buffer[dataLength] = '\0';
            current->SetText(buffer.get());
        }
        dataLength = 0;

        uint32_t tagLength = 0;
        while (!IsEOF()) {
            if (Read(&c, 1) != 1 || c == '>')
                break;
            if (tagLength == kParseBufferSize)
                throw StreamException("Tag too long");
            buffer[tagLength++] = c;
        }
        buffer[tagLength] = '\0';
        char* tagText = buffer.get();

        if (tagText[0] == '!')
            continue;
        if (tagText[0] == '?') {
            if (!IsXmlDeclaration(tagText))
                throw StreamException("Not XML document");
            continue;
        }
        if (tagText[0] == '/') {
            if (!current)
                throw StreamException("Unexpected end tag");
            current = current->Parent();
            continue;
        }

        const bool empty = tagLength > 0 && tagText[tagLength - 1] == '/';
        if (empty)
            tagText[--tagLength] = '\0';
        if (tagLength == 0)
            continue;
        if (tagLength > CNode::kMaxTagLength)
            throw StreamException("Tag too long");
        std::unique_ptr<CNode> node(new CNode(tagText));
        CNode* created = node.get();
        if (current)
            current->AppendChild(std::move(node));
        else
            root = std::move(node);  // a later top-level element replaces (and frees) the earlier one
        if (!empty)
            current = created;
    }
    // Data after the last tag and unclosed elements are not errors.
}

CFileStream::CFileStream(Clock secondsClock) : clock(secondsClock ? secondsClock : SystemSeconds) {}

CFileStream::~CFileStream() { Close(); }

void CFileStream::OpenFile(const wchar_t* path) {
    Close();
    file = OpenForReading(path);
    if (!file)
        throw StreamException("Unable to open file");
}

uint32_t CFileStream::Read(void* buffer, uint32_t count) {
    if (!file)
        return 0;
    if (std::feof(file))
        throw StreamException("End of file");
    const uint32_t moved = static_cast<uint32_t>(std::fread(buffer, 1, count, file));
    readTotal += moved;
    SampleRates();
    return moved;
}

uint32_t CFileStream::Write(const void* buffer, uint32_t count) {
    if (!file)
        return 0;
    const uint32_t moved = static_cast<uint32_t>(std::fwrite(buffer, 1, count, file));
    writtenTotal += moved;
    SampleRates();
    return moved;
}

bool CFileStream::IsEOF() const { return !file || std::feof(file); }

void CFileStream::Rewind() {
    if (file)
        std::fseek(file, 0, SEEK_SET);
}

void CFileStream::Seek(uint32_t position) {
    if (file)
        std::fseek(file, static_cast<long>(position), SEEK_SET);
}

void CFileStream::Skip(uint32_t count) {
    if (!file)
        return;
    char chunk[kSkipChunk];
    while (count > 0) {
        const uint32_t wanted = std::min(count, kSkipChunk);
        const uint32_t moved = static_cast<uint32_t>(std::fread(chunk, 1, wanted, file));
        readTotal += moved;
        SampleRates();
        if (moved < wanted)
            break;
        count -= moved;
    }
}

void CFileStream::Close() {
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
}

uint32_t CFileStream::Tell() const { return file ? static_cast<uint32_t>(std::ftell(file)) : 0; }

void CFileStream::Flush() {
    if (file)
        std::fflush(file);
}

void CFileStream::SampleRates() {
    const uint32_t now = clock();
    const uint32_t elapsed = now - sampleTime;
    if (elapsed < kRateInterval)
        return;
    readRate = (readTotal - readTotalAtSample) / elapsed;
    writeRate = (writtenTotal - writtenTotalAtSample) / elapsed;
    readTotalAtSample = readTotal;
    writtenTotalAtSample = writtenTotal;
    sampleTime = now;
}

}  // namespace XML
