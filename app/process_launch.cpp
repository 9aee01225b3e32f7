// Starting programs.
#include "MainDlg.h"

bool ExecuteProcess(const std::wstring& /*FileName*/, const std::wstring& /*Params*/, const std::wstring& /*Folder*/,
                    bool /*WaitUntilTerminated*/, bool /*WaitUntilIdle*/, bool /*RunMinimized*/,
                    DWORD& /*ErrorCode*/) {
    // Process launching is not built yet: no program is started.
    return false;
}
