#include "launch/captured_output.h"

#include <algorithm>
#include <vector>

#include "base/log.h"

namespace mg {

void KeptOutput::append(const char* data, std::size_t size) {
    total_ += size;
    if (head_.size() < headLimit) head_.append(data, std::min(size, headLimit - head_.size()));
    if (size >= tailLimit) {
        tail_.assign(data + size - tailLimit, tailLimit);
        return;
    }
    tail_.append(data, size);
    if (tail_.size() > 2 * tailLimit) tail_.erase(0, tail_.size() - tailLimit);
}

String KeptOutput::tail() const {
    return tail_.size() <= tailLimit ? tail_ : tail_.substr(tail_.size() - tailLimit);
}

LoggedOutput::LoggedOutput(KeptOutput& output, KeptOutput& error, bool logging,
                           std::function<String()> makeTempFile)
    : output_(output), error_(error), logging_(logging), makeTempFile_(std::move(makeTempFile)) {
    if (!logging_) return;
    if (output_.whole()) earlierOutput_ = output_.head();
    if (error_.whole()) earlierError_ = error_.head();
}

LoggedOutput::~LoggedOutput() {
    if (spool_) std::fclose(spool_);
    if (!spoolPath_.empty()) std::remove(spoolPath_.c_str());
}

void LoggedOutput::startBlock() {
    if (started_) return;
    started_ = true;
    writeLog("Output from the launch script execution", LOG_PLAIN);
    writeLog("StdOut:", LOG_PLAIN);
    if (!earlierOutput_.empty()) appendLog(earlierOutput_.data(), earlierOutput_.size());
    earlierOutput_ = String();
}

void LoggedOutput::flushPending() {
    if (pending_.empty()) return;
    startBlock();
    appendLog(pending_.data(), pending_.size());
    pending_.clear();
}

void LoggedOutput::hold(const char* data, std::size_t size) {
    if (!spool_ && held_.size() + size > holdLimit && makeTempFile_) {
        spoolPath_ = makeTempFile_();
        spool_ = spoolPath_.empty() ? nullptr : std::fopen(spoolPath_.c_str(), "wb+");
        if (spool_) {
            std::fwrite(held_.data(), 1, held_.size(), spool_);
            held_ = String();
        }
    }
    // Should no file be had, the text stays in memory rather than be lost.
    if (spool_ && std::fwrite(data, 1, size, spool_) == size) return;
    held_.append(data, size);
}

void LoggedOutput::received(bool error, const char* data, std::size_t size) {
    (error ? error_ : output_).append(data, size);
    if (!logging_) return;
    if (error) {
        hold(data, size);
        return;
    }
    startBlock();
    pending_.append(data, size);
    if (pending_.size() >= pendingLimit) flushPending();
}

void LoggedOutput::idle() {
    if (logging_) flushPending();
}

void LoggedOutput::finish() {
    if (!logging_ || finished_) return;
    finished_ = true;
    startBlock();
    flushPending();
    writeLog(String(), LOG_PLAIN);  // ends the output's record
    writeLog("ErrOut:", LOG_PLAIN);
    if (!earlierError_.empty()) appendLog(earlierError_.data(), earlierError_.size());
    if (spool_) {
        std::fflush(spool_);
        std::rewind(spool_);
        std::vector<char> buffer(pendingLimit);
        std::size_t got;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), spool_)) > 0) appendLog(buffer.data(), got);
    }
    if (!held_.empty()) appendLog(held_.data(), held_.size());
    writeLog(String(), LOG_PLAIN);
}

}  // namespace mg
