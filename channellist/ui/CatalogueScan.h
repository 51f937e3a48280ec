#pragma once
// Keyword searches over a catalogue snapshot, and a worker thread for those that take longer
// than a frame: the newest request replaces an older one, waiting or running, and only the
// newest result is handed back.
#include "channellist/store/ListReads.h"
#include "channellist/ui/LikeMatch.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace boost {
class thread;
}

namespace UI {

// Records and what keeps them alive: the catalogues (or statement results) they belong to.
using RecordOwners = std::vector<ChannelCatalogue>;

struct CatalogueScanRequest {
    unsigned int generation = 0;
    // One of three sources: the shown rows of a keyword that the new one contains...
    bool narrow = false;
    std::vector<const ChannelRecord*> candidates;
    RecordOwners candidateOwners;
    // ...the whole catalogue, both with a key...
    CLikeKey key;
    ChannelCatalogue catalogue;
    // ...or, for a keyword that no key can stand for, the search statement.
    bool statement = false;
    std::wstring keyword;
};

struct CatalogueScanResult {
    unsigned int generation = 0;
    std::vector<const ChannelRecord*> matches;  // in the catalogue's order, the statement's
    RecordOwners owners;
    // The matches are everything the keyword's text finds: a longer keyword may filter them.
    bool narrowable = false;
};

// Runs a request to its end (true) or until `superseded` says a newer search wants the thread
// (false, with a partial result).
bool RunScan(const CatalogueScanRequest& request, CatalogueScanResult& result,
             const std::function<bool()>& superseded);

class CCatalogueScanner {
public:
    CCatalogueScanner();
    // Ends a running scan and waits for the worker.
    ~CCatalogueScanner();
    CCatalogueScanner(const CCatalogueScanner&) = delete;
    CCatalogueScanner& operator=(const CCatalogueScanner&) = delete;

    // Runs the request on the worker and posts `message` with the request's generation as
    // wParam to `window` when its result is there. A newer request or Cancel voids it. False
    // when no worker thread could be had.
    bool Start(HWND window, UINT message, CatalogueScanRequest request);
    // No result is wanted any more.
    void Cancel();
    // The result of the request of that generation, once.
    bool Take(unsigned int generation, CatalogueScanResult& out);

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::unique_ptr<boost::thread> thread_;  // started with the first request
};

}  // namespace UI
