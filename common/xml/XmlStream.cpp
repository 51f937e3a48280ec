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
                throw CStreamException("Content too big");
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
                throw CStreamException("Tag too long");
            buffer[tagLength++] = c;
        }
        buffer[tagLength] = '\0';
        char* tagText = buffer.get();

        if (tagText[0] == '!')
            continue;
        if (tagText[0] == '?') {
            if (!IsXmlDeclaration(tagText))
                throw CStreamException("Not XML document");
            continue;
        }
        if (tagText[0] == '/') {
            if (!current)
                throw CStreamException("Unexpected end tag");
            current = current->Parent();
            continue;
        }

        const bool empty = tagLength > 0 && tagText[tagLength - 1] == '/';
        if (empty)
            tagText[--tagLength] = '\0';
        if (tagLength == 0)
            continue;
        if (tagLength > CNode::kMaxTagLength)
            throw CStreamException("Tag too long");
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

CFileStream::CFileStream(Clock secondsClock) : clock_(secondsClock ? secondsClock : SystemSeconds) {}

CFileStream::~CFileStream() { Close(); }

void CFileStream::OpenFile(const wchar_t* path) {
    Close();
    file_ = OpenForReading(path);
    if (!file_)
        throw CStreamException("Unable to open file");
}

uint32_t CFileStream::Read(void* buffer, uint32_t count) {
    if (!file_)
        return 0;
    if (std::feof(file_))
        throw CStreamException("End of file");
    const uint32_t moved = static_cast<uint32_t>(std::fread(buffer, 1, count, file_));
    readTotal_ += moved;
    SampleRates();
    return moved;
}

uint32_t CFileStream::Write(const void* buffer, uint32_t count) {
    if (!file_)
        return 0;
    const uint32_t moved = static_cast<uint32_t>(std::fwrite(buffer, 1, count, file_));
    writtenTotal_ += moved;
    SampleRates();
    return moved;
}

bool CFileStream::IsEOF() const { return !file_ || std::feof(file_); }

void CFileStream::Rewind() {
    if (file_)
        std::fseek(file_, 0, SEEK_SET);
}

void CFileStream::Seek(uint32_t position) {
    if (file_)
        std::fseek(file_, static_cast<long>(position), SEEK_SET);
}

void CFileStream::Skip(uint32_t count) {
    if (!file_)
        return;
    char chunk[kSkipChunk];
    while (count > 0) {
        const uint32_t wanted = std::min(count, kSkipChunk);
        const uint32_t moved = static_cast<uint32_t>(std::fread(chunk, 1, wanted, file_));
        readTotal_ += moved;
        SampleRates();
        if (moved < wanted)
            break;
        count -= moved;
    }
}

void CFileStream::Close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

uint32_t CFileStream::Tell() const { return file_ ? static_cast<uint32_t>(std::ftell(file_)) : 0; }

void CFileStream::Flush() {
    if (file_)
        std::fflush(file_);
}

void CFileStream::SampleRates() {
    const uint32_t now = clock_();
    const uint32_t elapsed = now - sampleTime_;
    if (elapsed < kRateInterval)
        return;
    readRate_ = (readTotal_ - readTotalAtSample_) / elapsed;
    writeRate_ = (writtenTotal_ - writtenTotalAtSample_) / elapsed;
    readTotalAtSample_ = readTotal_;
    writtenTotalAtSample_ = writtenTotal_;
    sampleTime_ = now;
}

}  // namespace XML
