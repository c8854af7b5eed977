// The removal engine: the only Remover. It vets each target against the safety rules on the
// caller's thread, removes the tree on worker threads (folders of one tree are spread over all
// workers) and hands the report to the UI thread through UiThread::post.
#pragma once

#include <memory>

#include "clean/remover.h"
#include "platform/removal_backend.h"
#include "platform/ui_thread.h"

namespace clean {

// `threads`: worker threads, capped at the number of cores (0: one per core). Destroying the
// engine shuts it down: queued folders are dropped, folders being emptied stop at their next
// entry, and no report is delivered any more; it returns once the entries in hand are done.
// `ui` must outlive the engine.
std::unique_ptr<Remover> makeRemovalEngine(platform::UiThread& ui,
                                           std::unique_ptr<platform::RemovalBackend> backend,
                                           unsigned threads = 0);

}  // namespace clean
