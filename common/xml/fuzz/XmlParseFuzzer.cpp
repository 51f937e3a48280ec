// libFuzzer target over the skin description reader. Each input is parsed twice, from memory
// and through CFileStream from a file, and the two outcomes must match; the tree must hold
// together and every failure must be one of the reader's own StreamExceptions.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/xml/XmlStream.h"
#include "common/xml/tests/XmlTestStream.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "xml fuzzer: %s\n", what);
    std::abort();
}

bool IsReaderMessage(const char* message) {
    static const char* const kMessages[] = {"Unable to open file", "End of file",      "Too many attributes",
                                            "Bad tag value",       "Not XML document", "Tag too long",
                                            "Unexpected end tag",  "Content too big"};
    for (const char* known : kMessages) {
        if (std::strcmp(message, known) == 0)
            return true;
    }
    return false;
}

// Pre-order dump of the tree, checking its links and limits on the way. Iterative, as the
// reader's own walks are: nesting depth is bounded only by the input size.
std::string Describe(const XML::CNode* root) {
    std::string out;
    const XML::CNode* node = root;
    while (node) {
        const char* name = node->Name();
        if (!name || std::strlen(name) > XML::CNode::kMaxTagLength)
            Fail("bad element name");
        out += '<';
        out += name;
        for (int i = 0; i < node->AttributeCount(); ++i) {
            const char* attributeName = node->AttributeName(i);
            const char* value = node->AttributeValue(i);
            if (!attributeName || !value)
                Fail("attribute without name or value");
            out += ' ';
            out += attributeName;
            out += "=\"";
            out += value;
            out += '"';
            // The prefix lookup finds this attribute or an earlier one of the same prefix.
            if (!node->GetAttribute(attributeName))
                Fail("GetAttribute misses an existing attribute");
        }
        if (node->AttributeName(node->AttributeCount()) || node->AttributeName(-1))
            Fail("attribute index out of range answered");
        // The lookups of the skin loader, whose answers go into the description.
        for (const char* name : {"target", "path", "name", "rect", "height", "gap", "left", "top"}) {
            const char* value = node->GetAttribute(name);
            out += value ? value : "-";
        }
        out += '>';
        if (node->Text()) {
            if (!*node->Text())
                Fail("empty text stored");
            out += node->Text();
        }
        for (const XML::CNode* child = node->FirstChild(); child; child = child->NextSibling()) {
            if (child->Parent() != node)
                Fail("child with wrong parent");
        }
        if (node->FirstChild()) {
            node = node->FirstChild();
            continue;
        }
        out += "</>";
        while (node != root && !node->NextSibling()) {
            node = node->Parent();
            out += "</>";
        }
        node = node == root ? nullptr : node->NextSibling();
    }
    return out;
}

struct Outcome {
    std::string tree;
    std::string failure;
};

Outcome ParseWith(XML::IStream& stream) {
    Outcome outcome;
    std::unique_ptr<XML::CNode> root;
    try {
        stream.Parse(root);
    } catch (const XML::CStreamException& e) {
        if (!IsReaderMessage(e.Message()) || e.Code() != 0)
            Fail("unknown CStreamException");
        outcome.failure = e.Message();
    }
    // On failure the partial tree is still owned by root and freed here.
    outcome.tree = Describe(root.get());
    if (root) {
        if (root->Parent() || root->NextSibling())
            Fail("root with parent or sibling");
        // Searching for the root's own name finds the root first.
        if (root->FindElement(root->Name()) != root.get())
            Fail("FindElement skips the node itself");
        for (const char* name : {"skin", "windowSkins", "image", "anchors", "parts", "caption"}) {
            const XML::CNode* found = root->FindElement(name);
            if (found && found->FindElement(name) != found)
                Fail("FindElement does not find the node it returned");
        }
    }
    return outcome;
}

const std::string& ScratchFile() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/xml-fuzz-" + std::to_string(getpid()) + ".xml";
    }();
    return path;
}

Outcome ParseFile(const uint8_t* data, size_t size) {
    FILE* out = std::fopen(ScratchFile().c_str(), "wb");
    if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0)
        Fail("cannot write the scratch file");
    const std::wstring widePath(ScratchFile().begin(), ScratchFile().end());
    XML::CFileStream stream;
    stream.OpenFile(widePath.c_str());
    std::remove(ScratchFile().c_str());  // the open stream keeps reading it; nothing is left behind
    Outcome outcome = ParseWith(stream);
    if (stream.BytesRead() > size)
        Fail("file stream read more than the file holds");
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream memory(std::string(reinterpret_cast<const char*>(data), size));
    const Outcome fromMemory = ParseWith(memory);
    const Outcome fromFile = ParseFile(data, size);
    if (fromMemory.failure != fromFile.failure || fromMemory.tree != fromFile.tree)
        Fail("memory and file streams disagree");
    return 0;
}
