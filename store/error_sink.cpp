#include "store/error_sink.h"

#include <cstdio>
#include <mutex>

namespace nimbra {

namespace {

std::mutex g_sinkMutex;
ErrorSink g_defaultSink;

}  // namespace

void setDefaultErrorSink(ErrorSink sink) {
    const std::lock_guard lock(g_sinkMutex);
    g_defaultSink = std::move(sink);
}

void reportToDefaultErrorSink(const std::string& message) {
    ErrorSink sink;
    {
        const std::lock_guard lock(g_sinkMutex);
        sink = g_defaultSink;
    }
    if (sink) {
        sink(message);
    } else {
        std::fprintf(stderr, "database: %s\n", message.c_str());
    }
}

}  // namespace nimbra
