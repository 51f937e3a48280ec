#pragma once
// In-memory stream for the parser tests and the fuzzer.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "common/xml/XmlStream.h"

class MemoryStream : public XML::IStream {
public:
    explicit MemoryStream(std::string bytes) : data(std::move(bytes)) {}

    uint32_t Read(void* buffer, uint32_t count) override {
        if (position >= data.size()) {
            atEnd = true;
            return 0;
        }
        const uint32_t moved = std::min<uint32_t>(count, static_cast<uint32_t>(data.size() - position));
        std::memcpy(buffer, data.data() + position, moved);
        position += moved;
        return moved;
    }
    uint32_t Write(const void*, uint32_t) override { return 0; }
    bool IsEOF() const override { return atEnd; }
    void Rewind() override { Seek(0); }
    void Seek(uint32_t offset) override {
        position = offset;
        atEnd = false;
    }
    void Skip(uint32_t count) override { position += count; }
    void Close() override {}
    uint32_t Tell() const override { return static_cast<uint32_t>(position); }
    void Flush() override {}

private:
    std::string data;
    size_t position = 0;
    bool atEnd = false;
};

inline std::unique_ptr<XML::CNode> ParseText(const std::string& text) {
    MemoryStream stream(text);
    std::unique_ptr<XML::CNode> root;
    stream.Parse(root);
    return root;
}
