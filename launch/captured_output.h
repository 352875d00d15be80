// What becomes of a captured child's output: it goes to the log as it
// arrives (standard output first, then standard error, as one block each),
// and only a bounded part of it stays in memory. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>

#include "system/child_process.h"
#include "base/string.h"

namespace mg {

// The part of one stream the launcher keeps: its first and its last bytes.
// The head answers the verify run (its first lines), the tail the report of
// an application that failed (its last lines).
class KeptOutput {
public:
    static constexpr std::size_t headLimit = 64 * 1024;
    static constexpr std::size_t tailLimit = 64 * 1024;

    void append(const char* data, std::size_t size);
    // The first bytes received, at most headLimit: everything while whole().
    const String& head() const { return head_; }
    // The last bytes received, at most tailLimit.
    String tail() const;
    bool whole() const { return total_ == head_.size(); }
    std::uint64_t total() const { return total_; }

private:
    String head_;
    String tail_;  // up to twice tailLimit, trimmed in one step
    std::uint64_t total_ = 0;
};

// The sink of one captured run: keeps both streams and, when logging, writes
// the block the log has always shown for a captured run:
//   "Output from the launch script execution", "StdOut:", output,
//   "ErrOut:", error output
// with the standard output written as it arrives (passed on in pieces of at
// most pendingLimit) and the error output held until the standard output has
// ended: in memory up to holdLimit, beyond that in a temporary file.
// What earlier runs of the same script printed comes first, as the kept
// texts accumulate over runs, when it was kept whole.
class LoggedOutput : public OutputSink {
public:
    static constexpr std::size_t pendingLimit = 64 * 1024;
    static constexpr std::size_t holdLimit = 256 * 1024;

    // makeTempFile gives the path of a new (registered) temporary file for
    // the held error output; called only when it outgrows holdLimit.
    LoggedOutput(KeptOutput& output, KeptOutput& error, bool logging, std::function<String()> makeTempFile);
    ~LoggedOutput() override;
    LoggedOutput(const LoggedOutput&) = delete;
    LoggedOutput& operator=(const LoggedOutput&) = delete;

    void received(bool error, const char* data, std::size_t size) override;
    void idle() override;
    // Completes the log block (also after a run that was cut short, once
    // something of it was written).
    void finish();
    void finishIfStarted() {
        if (started_) finish();
    }

private:
    void startBlock();
    void flushPending();
    void hold(const char* data, std::size_t size);

    KeptOutput& output_;
    KeptOutput& error_;
    bool logging_;
    std::function<String()> makeTempFile_;
    String earlierOutput_;
    String earlierError_;
    bool started_ = false;
    bool finished_ = false;
    String pending_;
    String held_;
    String spoolPath_;
    std::FILE* spool_ = nullptr;
};

}  // namespace mg
