#include "Concurrency/SerialQueue.h"

#include <cstdio>
#include <exception>
#include <pthread.h>

namespace pellacor::concurrency {

namespace {
constexpr std::size_t threadNameLimit = 15;
}

SerialQueue::SerialQueue(std::string label) : label_(std::move(label)) {}

SerialQueue::~SerialQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void SerialQueue::async(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        if (!worker_.joinable()) {
            worker_ = std::thread([this] { work(); });
            // Named before the worker can take its first job (it needs the
            // lock held here) and before this call returns.
            pthread_setname_np(worker_.native_handle(), threadName(label_).c_str());
        }
    }
    wake_.notify_one();
}

void SerialQueue::lostJob(const std::string& label) {
    std::fprintf(stderr, "[concurrency] fault: a job of the queue \"%s\" was dropped without running\n",
                 label.c_str());
    std::fflush(stderr);
    std::terminate();
}

std::string SerialQueue::threadName(std::string_view label) {
    if (label.size() <= threadNameLimit) {
        return std::string(label);
    }
    std::size_t start = label.size() - threadNameLimit;
    // Skip UTF-8 continuation bytes (10xxxxxx) so the name starts on a whole
    // character.
    while (start < label.size() && (static_cast<unsigned char>(label[start]) & 0xC0U) == 0x80U) {
        ++start;
    }
    return std::string(label.substr(start));
}

void SerialQueue::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

} // namespace pellacor::concurrency
