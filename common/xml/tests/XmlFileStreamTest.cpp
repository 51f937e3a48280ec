#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/xml/XmlStream.h"

namespace {

// A file of its own in the temp folder, removed at the end of the test.
class TempFile {
public:
    explicit TempFile(const std::string& bytes) {
        wchar_t folder[MAX_PATH];
        wchar_t name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"xml", 0, name);
        path = name;
        FILE* f = _wfopen(path.c_str(), L"wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    ~TempFile() { DeleteFileW(path.c_str()); }
    const wchar_t* Path() const { return path.c_str(); }

private:
    std::wstring path;
};

uint32_t fakeNow = 0;
uint32_t FakeClock() { return fakeNow; }

}  // namespace

TEST(XmlFileStream, UnableToOpenFile) {
    XML::CFileStream stream;
    try {
        stream.OpenFile(L"C:\\no\\such\\folder\\skin.xml");
        FAIL() << "no exception";
    } catch (const XML::CStreamException& e) {
        EXPECT_STREQ("Unable to open file", e.Message());
        EXPECT_EQ(0, e.Code());
    }
    EXPECT_TRUE(stream.IsEOF());
}

TEST(XmlFileStream, ReadPastEndThrowsEndOfFile) {
    TempFile file("abc");
    XML::CFileStream stream;
    stream.OpenFile(file.Path());
    char buffer[8] = {};
    EXPECT_FALSE(stream.IsEOF());
    EXPECT_EQ(3u, stream.Read(buffer, sizeof buffer));
    EXPECT_TRUE(stream.IsEOF());
    try {
        stream.Read(buffer, 1);
        FAIL() << "no exception";
    } catch (const XML::CStreamException& e) {
        EXPECT_STREQ("End of file", e.Message());
    }
    stream.Rewind();
    EXPECT_FALSE(stream.IsEOF());
    EXPECT_EQ(1u, stream.Read(buffer, 1));
    EXPECT_EQ('a', buffer[0]);
}

TEST(XmlFileStream, SeekSkipTellAndClosedStream) {
    std::string bytes(10000, 'x');
    bytes[9000] = 'y';
    TempFile file(bytes);
    XML::CFileStream stream;
    stream.OpenFile(file.Path());
    stream.Skip(9000);
    EXPECT_EQ(9000u, stream.Tell());
    EXPECT_EQ(9000u, stream.BytesRead());
    char c = 0;
    stream.Read(&c, 1);
    EXPECT_EQ('y', c);
    stream.Seek(2);
    EXPECT_EQ(2u, stream.Tell());
    stream.Skip(50000);  // past the end stops there
    EXPECT_TRUE(stream.IsEOF());

    stream.Close();
    stream.Close();
    EXPECT_TRUE(stream.IsEOF());
    EXPECT_EQ(0u, stream.Read(&c, 1));
    EXPECT_EQ(0u, stream.Write(&c, 1));
    EXPECT_EQ(0u, stream.Tell());
}

TEST(XmlFileStream, CountersAndRates) {
    TempFile file(std::string(1000, 'z'));
    fakeNow = 100;
    XML::CFileStream stream(FakeClock);
    stream.OpenFile(file.Path());
    char buffer[600];
    // The first sample comes at once: the last one is "at second 0".
    EXPECT_EQ(600u, stream.Read(buffer, 600));
    EXPECT_EQ(600u, stream.BytesRead());
    EXPECT_EQ(6u, stream.ReadRate());  // 600 / 100

    fakeNow = 104;  // under 5 seconds: no new sample
    stream.Read(buffer, 300);
    EXPECT_EQ(900u, stream.BytesRead());
    EXPECT_EQ(6u, stream.ReadRate());

    fakeNow = 110;  // 10 seconds, 400 bytes since the sample
    stream.Read(buffer, 600);
    EXPECT_EQ(1000u, stream.BytesRead());
    EXPECT_EQ(40u, stream.ReadRate());
    EXPECT_EQ(0u, stream.BytesWritten());
    EXPECT_EQ(0u, stream.WriteRate());
}

TEST(XmlFileStream, ParsesFile) {
    TempFile file("<?xml version=\"1.0\"?>\r\n<skin><windowSkins/></skin>\r\n");
    XML::CFileStream stream;
    stream.OpenFile(file.Path());
    std::unique_ptr<XML::CNode> root;
    stream.Parse(root);
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->FindElement("WINDOWSKINS"));
    EXPECT_TRUE(stream.IsEOF());
}

TEST(XmlFileStream, EmptyFileHasNoRoot) {
    TempFile file("");
    XML::CFileStream stream;
    stream.OpenFile(file.Path());
    std::unique_ptr<XML::CNode> root;
    EXPECT_NO_THROW(stream.Parse(root));
    EXPECT_FALSE(root);
}
