#include "failure_text.h"

#include <new>

#include "errors.h"

namespace {
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
