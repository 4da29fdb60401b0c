// SPDX-License-Identifier: Apache-2.0
#include "NuvLogSink.h"

#include <atomic>

namespace {
std::atomic<NuvLogSink::Sink> g_sink{nullptr};  // the installed sink; constant-initialised
}  // namespace

void NuvLogSink::install(Sink sink) {
    g_sink.store(sink);
}

void NuvLogSink::write(const std::string& module, const std::string& message) {
    if (const Sink sink = g_sink.load()) sink(module, message);
}
