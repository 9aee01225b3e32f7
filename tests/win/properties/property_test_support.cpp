#include "property_test_support.h"

#include <gtest/gtest.h>

#include <utility>

TStdInScope::TStdInScope(HANDLE handle) : fPrevious(::GetStdHandle(STD_INPUT_HANDLE)) {
    ::SetStdHandle(STD_INPUT_HANDLE, handle);
}

TStdInScope::~TStdInScope() { ::SetStdHandle(STD_INPUT_HANDLE, fPrevious); }

namespace {

HANDLE MakePipe(TKernelHandle& write) {
    HANDLE read = nullptr;
    HANDLE writeEnd = nullptr;
    EXPECT_TRUE(::CreatePipe(&read, &writeEnd, nullptr, 4096));
    write.Reset(writeEnd);
    return read;
}

}  // namespace

TPipedStdIn::TPipedStdIn(std::string bytes)
    : fRead(MakePipe(fWrite)),
      fWriter([this, data = std::move(bytes)] {
          std::size_t done = 0;
          while (done < data.size()) {
              DWORD written = 0;
              if (!::WriteFile(fWrite.Get(), data.data() + done, static_cast<DWORD>(data.size() - done), &written,
                               nullptr)) {
                  break;
              }
              done += written;
          }
          fWrite.Reset();  // the reader then sees a broken pipe
      }),
      fScope(fRead.Get()) {}

TPipedStdIn::~TPipedStdIn() {
    fRead.Reset();  // a writer still waiting gives up
    fWriter.join();
}

std::vector<TEntryTuple> AsTuples(const std::vector<TPropertyEntry>& entries) {
    std::vector<TEntryTuple> result;
    for (const TPropertyEntry& e : entries) result.emplace_back(e.Name, e.Value, e.First);
    return result;
}
