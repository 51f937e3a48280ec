#pragma once

#include <string>

// Value records that mirror the rows of the channel database. Texts are UTF-8.

struct CatalogRecord {
    int id = 0;
    std::string ctime, utime, name;
};

struct ChannelRecord {
    int id = 0;
    std::string ctime, utime;  // never filled by reads
    int catalogid = 0, type = 0;  // type 1: on demand, otherwise live
    std::string name, desc, url, server;
    int portno = 0;
    std::string channelid;
    int bitrate = 0, visitors = 0, hits = 0;
};

struct UpdateRecord {
    int catalogid = 0, type = 0;
    std::string name, desc, url, server;
    int portno = 0;
    std::string channelid;
    int bitrate = 0, visitors = 0, hits = 0;
};
