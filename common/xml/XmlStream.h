#pragma once
// Byte streams of the XML reader and the parser that builds the element tree from one.
#include <cstdint>
#include <cstdio>
#include <memory>

#include "common/xml/XmlException.h"
#include "common/xml/XmlNode.h"

namespace XML {

class IStream {
public:
    virtual ~IStream() = default;

    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
    virtual bool IsEOF() const = 0;
    virtual void Rewind() = 0;
    virtual void Seek(uint32_t position) = 0;
    virtual void Skip(uint32_t count) = 0;
    virtual void Close() = 0;
    virtual uint32_t Tell() const = 0;
    virtual void Flush() = 0;

    // Reads the whole stream into a tree. root holds the document element as soon as it
    // exists, so a tree half built when a CStreamException is thrown is still freed by root.
    // Each call has its own buffers: parsing on several threads at once is safe.
    void Parse(std::unique_ptr<CNode>& root);
};

class CFileStream : public IStream {
public:
    // Seconds clock for the transfer rates; replaceable for tests.
    using Clock = uint32_t (*)();
    static constexpr uint32_t kRateInterval = 5;  // seconds between rate samples

    explicit CFileStream(Clock clock = nullptr);
    ~CFileStream() override;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

    // Opens path for reading ("rb"); throws "Unable to open file".
    void OpenFile(const wchar_t* path);

    // Throws "End of file" when the end was already reached.
    uint32_t Read(void* buffer, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t count) override;
    bool IsEOF() const override;  // also true when no file is open
    void Rewind() override;
    void Seek(uint32_t position) override;
    void Skip(uint32_t count) override;
    void Close() override;
    uint32_t Tell() const override;
    void Flush() override;

    uint32_t BytesRead() const { return readTotal_; }
    uint32_t BytesWritten() const { return writtenTotal_; }
    uint32_t ReadRate() const { return readRate_; }  // bytes per second
    uint32_t WriteRate() const { return writeRate_; }

private:
    void SampleRates();

    Clock clock_;
    uint32_t readTotal_ = 0;
    uint32_t writtenTotal_ = 0;
    uint32_t readTotalAtSample_ = 0;
    uint32_t writtenTotalAtSample_ = 0;
    uint32_t readRate_ = 0;
    uint32_t writeRate_ = 0;
    uint32_t sampleTime_ = 0;
    FILE* file_ = nullptr;
};

}  // namespace XML
