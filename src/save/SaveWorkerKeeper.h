// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <memory>
#include <mutex>
#include <vector>

class SaveImageTool;

// Keeps the save workers of closed panes until they have written the frames they accepted, so
// that closing a pane or the viewer never waits for a disk. Finished workers are released on the
// next hand-over; the rest are joined when the application object goes (away from any loader
// lock) or, at the latest, when the library unloads.
class SaveWorkerKeeper {
public:
    // GUI thread. Asks the worker to finish in the background and keeps it while it runs.
    static void adopt(std::unique_ptr<SaveImageTool> tool);
    // Workers still kept (writing or not yet released).
    static int keptCount();
    // Waits for every kept worker to finish its frames and releases it.
    static void joinAll();

    ~SaveWorkerKeeper();

private:
    static SaveWorkerKeeper& instance();
    void releaseFinishedLocked();

    // Guards m_tools: the GUI thread adopts, library unload joins.
    std::mutex m_toolsMutex;
    std::vector<std::unique_ptr<SaveImageTool>> m_tools;
};
