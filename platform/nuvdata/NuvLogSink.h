// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <string>

// Where the Qt-free libraries send their log lines: none of them writes to a stream of its own.
// The viewer installs the sink that turns a line into a message of its logging category; without
// one, lines are dropped. Any thread.
class NuvLogSink {
public:
    // module names the writer ("ZavizoZoz3", "Nuv3DFileOperation", ...), message says what failed.
    using Sink = void (*)(const std::string& module, const std::string& message);

    static void install(Sink sink);  // nullptr drops lines again
    static void write(const std::string& module, const std::string& message);
};
