#include "channellist/ui/CatalogueScan.h"

#include "channellist/store/ChannelDatabase.h"
#include "framework/win/Trace.h"

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include <atomic>
#include <utility>

namespace UI {

namespace {

// Often enough to give up within a fraction of a frame, rarely enough to cost nothing.
const size_t kRecordsBetweenChecks = 1024;

inline const ChannelRecord& Deref(const ChannelRecord& record) { return record; }
inline const ChannelRecord& Deref(const ChannelRecord* record) { return *record; }

// Appends each record whose name or description contains the key, in order.
template <typename Records>
bool Scan(const CLikeKey& key, const Records& records, const std::function<bool()>& superseded,
          std::vector<const ChannelRecord*>& matches) {
    for (size_t i = 0; i < records.size(); ++i) {
        const ChannelRecord& record = Deref(records[i]);
        if (key.FoundIn(record.name) || key.FoundIn(record.desc))
            matches.push_back(&record);
        if ((i + 1) % kRecordsBetweenChecks == 0 && superseded())
            return false;
    }
    return true;
}

}  // namespace

bool RunScan(const CatalogueScanRequest& request, CatalogueScanResult& result,
             const std::function<bool()>& superseded) {
    result.generation = request.generation;
    result.matches.clear();
    result.owners.clear();
    if (request.narrow) {
        result.narrowable = true;
        result.owners = request.candidateOwners;
        return Scan(request.key, request.candidates, superseded, result.matches);
    }
    if (!request.statement) {
        result.narrowable = true;
        result.owners.push_back(request.catalogue);
        return Scan(request.key, *request.catalogue, superseded, result.matches);
    }
    std::vector<ChannelRecord> found;
    // A failed query shows no rows, like a search without matches, and nothing to filter.
    const bool read = SearchChannels(request.keyword, found);
    CLikeKey whole;
    result.narrowable = read && whole.Assign(request.keyword);
    if (!read) return true;
    const ChannelCatalogue records = std::make_shared<const std::vector<ChannelRecord>>(std::move(found));
    result.matches.reserve(records->size());
    for (const ChannelRecord& record : *records)
        result.matches.push_back(&record);
    result.owners.push_back(records);
    return true;
}

struct CCatalogueScanner::Shared {
    boost::mutex lock;
    boost::condition_variable wake;
    bool ending = false;
    std::unique_ptr<CatalogueScanRequest> waiting;
    std::unique_ptr<CatalogueScanResult> done;
    HWND window = nullptr;
    UINT message = 0;
    // The generation of the newest request (0: none wanted); read by a running scan.
    std::atomic<unsigned int> newest{0};
};

CCatalogueScanner::CCatalogueScanner() : shared_(std::make_shared<Shared>()) {}

CCatalogueScanner::~CCatalogueScanner() {
    if (!thread_) return;
    {
        boost::mutex::scoped_lock hold(shared_->lock);
        shared_->ending = true;
        shared_->newest = 0;
        shared_->wake.notify_all();
    }
    thread_->join();
}

bool CCatalogueScanner::Start(HWND window, UINT message, CatalogueScanRequest request) {
    if (!thread_) {
        try {
            const boost::function<void()> proc = boost::bind(&CCatalogueScanner::Run, shared_);
            thread_.reset(new boost::thread(proc));
        } catch (const std::exception&) {
            TraceCaughtException(L"Starting the search thread");
            return false;
        }
    }
    std::unique_ptr<CatalogueScanRequest> replaced;  // freed outside the lock
    boost::mutex::scoped_lock hold(shared_->lock);
    shared_->window = window;
    shared_->message = message;
    shared_->newest = request.generation;
    replaced = std::move(shared_->waiting);
    shared_->waiting.reset(new CatalogueScanRequest(std::move(request)));
    shared_->wake.notify_all();
    return true;
}

void CCatalogueScanner::Cancel() {
    std::unique_ptr<CatalogueScanRequest> waiting;
    std::unique_ptr<CatalogueScanResult> done;
    boost::mutex::scoped_lock hold(shared_->lock);
    shared_->newest = 0;
    waiting = std::move(shared_->waiting);
    done = std::move(shared_->done);
}

bool CCatalogueScanner::Take(unsigned int generation, CatalogueScanResult& out) {
    std::unique_ptr<CatalogueScanResult> done;
    {
        boost::mutex::scoped_lock hold(shared_->lock);
        if (!shared_->done || shared_->done->generation != generation) return false;
        done = std::move(shared_->done);
    }
    out = std::move(*done);
    return true;
}

void CCatalogueScanner::Run(std::shared_ptr<Shared> shared) {
    for (;;) {
        std::unique_ptr<CatalogueScanRequest> request;
        {
            boost::mutex::scoped_lock hold(shared->lock);
            while (!shared->ending && !shared->waiting) shared->wake.wait(hold);
            if (shared->ending) return;
            request = std::move(shared->waiting);
        }
        const unsigned int generation = request->generation;
        const std::function<bool()> superseded = [&] { return shared->newest.load() != generation; };
        std::unique_ptr<CatalogueScanResult> result(new CatalogueScanResult);
        const bool complete = RunScan(*request, *result, superseded);
        request.reset();  // its records go here, not under the lock
        if (!complete) continue;
        std::unique_ptr<CatalogueScanResult> unwanted;
        boost::mutex::scoped_lock hold(shared->lock);
        if (superseded()) {
            unwanted = std::move(result);
            continue;
        }
        shared->done = std::move(result);
        ::PostMessageW(shared->window, shared->message, generation, 0);
    }
}

}  // namespace UI
