#include "exception_filter.h"

#include <atomic>

namespace {
std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> gProgramFilter{nullptr};
}  // namespace

void SetProgramExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
    gProgramFilter = filter;
    ::SetUnhandledExceptionFilter(filter);
}

void RestoreProgramExceptionFilter() {
    const LPTOP_LEVEL_EXCEPTION_FILTER filter = gProgramFilter;
    if (filter) ::SetUnhandledExceptionFilter(filter);
}
