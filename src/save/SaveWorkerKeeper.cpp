// SPDX-License-Identifier: Apache-2.0
#include "SaveWorkerKeeper.h"

#include <QCoreApplication>
#include <algorithm>

#include "SaveImageTool.h"

SaveWorkerKeeper& SaveWorkerKeeper::instance() {
    // Made on the first hand-over, so it goes before the business layer it logs to.
    static SaveWorkerKeeper keeper;
    static const bool joinedWithApplication = []() {
        qAddPostRoutine(&SaveWorkerKeeper::joinAll);
        return true;
    }();
    Q_UNUSED(joinedWithApplication);
    return keeper;
}

SaveWorkerKeeper::~SaveWorkerKeeper() {
    std::lock_guard<std::mutex> lock(m_toolsMutex);
    // Each destructor waits until its worker has written what it accepted.
    m_tools.clear();
}

void SaveWorkerKeeper::joinAll() {
    std::vector<std::unique_ptr<SaveImageTool>> tools;
    {
        SaveWorkerKeeper& keeper = instance();
        std::lock_guard<std::mutex> lock(keeper.m_toolsMutex);
        tools.swap(keeper.m_tools);
    }
    tools.clear();  // each destructor waits for its worker
}

void SaveWorkerKeeper::adopt(std::unique_ptr<SaveImageTool> tool) {
    if (!tool) return;
    SaveWorkerKeeper& keeper = instance();
    std::lock_guard<std::mutex> lock(keeper.m_toolsMutex);
    keeper.releaseFinishedLocked();
    if (tool->finishInBackground()) keeper.m_tools.push_back(std::move(tool));
}

int SaveWorkerKeeper::keptCount() {
    SaveWorkerKeeper& keeper = instance();
    std::lock_guard<std::mutex> lock(keeper.m_toolsMutex);
    keeper.releaseFinishedLocked();
    return static_cast<int>(keeper.m_tools.size());
}

void SaveWorkerKeeper::releaseFinishedLocked() {
    m_tools.erase(std::remove_if(m_tools.begin(), m_tools.end(),
                                 [](const std::unique_ptr<SaveImageTool>& t) { return t->finished(); }),
                  m_tools.end());
}
