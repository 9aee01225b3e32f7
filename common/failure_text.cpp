#include "failure_text.h"

#include <new>

#include "error_text.h"
#include "errors.h"
#include "paths.h"

namespace {
const std::uint32_t cAccessViolation = 0xC0000005;

std::wstring Widen(const char* text) {
    std::wstring result;
    for (const char* p = text; *p; ++p) result.push_back(static_cast<unsigned char>(*p));
    return result;
}
}  // namespace

TFailureText DescribeFailure(std::exception_ptr failure) {
    TFailureText text;
    try {
        if (failure) std::rethrow_exception(failure);
        text.ClassName = L"Exception";
    } catch (const EAbort&) {
        text.ClassName = L"EAbort";
        text.Silent = true;
    } catch (const Exception& e) {
        text.ClassName = e.ClassName();
        text.Message = e.Message();
    } catch (const std::bad_alloc&) {
        text.ClassName = L"EOutOfMemory";
        text.Message = L"Zu wenig Arbeitsspeicher";
    } catch (const std::exception& e) {
        text.ClassName = L"Exception";
        text.Message = Widen(e.what());
    } catch (...) {
        text.ClassName = L"Exception";
    }
    return text;
}

TFailureText DescribeStructuredException(std::uint32_t code) {
    TFailureText text;
    text.ClassName = code == cAccessViolation ? L"EAccessViolation" : L"EExternalException";
    text.Message = L"Externe Exception " + HexText(code, 8, /*upperCase=*/true);
    return text;
}

std::wstring HandlerFaultMessage(std::uint32_t code, std::uint64_t address, const std::wstring& moduleName) {
    const std::wstring exception = code == cAccessViolation
                                       ? std::wstring(L"Zugriffsverletzung")
                                       : L"Externe Exception " + HexText(code, 8, /*upperCase=*/true);
    return exception + L" bei Adresse " + HexText(address, 16, /*upperCase=*/true) + L" in Modul " + moduleName;
}

std::wstring FaultModuleName(const std::wstring& modulePath) {
    return modulePath.empty() ? std::wstring(L"(unbekannt)") : ExtractFileName(modulePath);
}
