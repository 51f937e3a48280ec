#pragma once
// The substitute engine's channel catalogue: built in, or read from a file.

#include <cstdint>
#include <string>
#include <vector>

struct CatalogueChannel {
    std::string name, channel_id, description, home_page, catalog;
    std::int32_t type = 0, viewers = 0, bitrate = 0;
};

// The catalogue served when no file is configured.
std::vector<CatalogueChannel> BuiltinCatalogue();

// Parses UTF-8 catalogue text: one channel per line, eight tab-separated fields
// (name, channel identifier, description, home page, catalog, type, viewers, bit
// rate). Empty lines and lines starting with '#' are ignored; malformed lines
// (wrong field count, empty name or identifier, bad number, invalid UTF-8) are
// skipped. Returns the number of skipped lines.
std::size_t ParseCatalogue(const char* text, std::size_t size, std::vector<CatalogueChannel>& out);

// Reads and parses a catalogue file; false when the file cannot be read.
bool LoadCatalogueFile(const std::wstring& path, std::vector<CatalogueChannel>& out);
