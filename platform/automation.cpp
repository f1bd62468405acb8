#include "platform/automation.h"

#include <oleauto.h>

#include <cwchar>
#include <string>
#include <utility>

#include "platform/host_call.h"
#include "platform/system_error.h"
#include "platform/wide.h"

namespace zo {
namespace {

using Microsoft::WRL::ComPtr;

class Variant {
  public:
    Variant() noexcept { ::VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&value_); }

    [[nodiscard]] VARIANT* get() noexcept { return &value_; }
    [[nodiscard]] const VARIANT& operator*() const noexcept { return value_; }

  private:
    VARIANT value_;
};

// The host fills the record's strings; they are ours to free on every path.
class ExceptionRecord {
  public:
    ExceptionRecord() noexcept = default;
    ExceptionRecord(const ExceptionRecord&) = delete;
    ExceptionRecord& operator=(const ExceptionRecord&) = delete;
    ~ExceptionRecord() {
        ::SysFreeString(value_.bstrSource);
        ::SysFreeString(value_.bstrDescription);
        ::SysFreeString(value_.bstrHelpFile);
    }

    [[nodiscard]] EXCEPINFO* get() noexcept { return &value_; }

    [[nodiscard]] HostException ToError() {
        if (value_.pfnDeferredFillIn != nullptr) value_.pfnDeferredFillIn(&value_);
        const HRESULT code = value_.scode != 0 ? value_.scode : DISP_E_EXCEPTION;
        Text description = FromBstr(value_.bstrDescription);
        if (description.empty()) description = ComError(code).text();
        return HostException(std::move(description), static_cast<std::int32_t>(code),
                             FromBstr(value_.bstrSource));
    }

  private:
    static Text FromBstr(BSTR text) { return FromWide(std::wstring_view(text, ::SysStringLen(text))); }

    EXCEPINFO value_{};
};

[[nodiscard]] Error MissingMember(TextView member, HRESULT hr) {
    return Error(u"メンバー '" + Text(member) + u"' が見つかりません", static_cast<std::int32_t>(hr));
}

[[nodiscard]] CLSID ClassOf(TextView progId) {
    const std::wstring name = ToWide(progId);
    CLSID clsid{};
    const HRESULT hr = ::CLSIDFromProgID(name.c_str(), &clsid);
    if (FAILED(hr)) throw ComError(hr);
    return clsid;
}

// Late-bound call by name with positional arguments given last to first, as Invoke wants them.
void Invoke(IDispatch& dispatch, TextView member, WORD flags, VARIANT* arguments, UINT count,
            VARIANT* result) {
    std::wstring name = ToWide(member);
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr =
        CallHost([&] { return dispatch.GetIDsOfNames(IID_NULL, names, 1, ::GetThreadLocale(), &id); });
    if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND) throw MissingMember(member, hr);
    if (FAILED(hr)) throw ComError(hr);

    DISPPARAMS parameters{arguments, nullptr, count, 0};
    ExceptionRecord exception;
    UINT argumentError = 0;
    hr = CallHost([&] {
        return dispatch.Invoke(id, IID_NULL, 0, flags, &parameters, result, exception.get(), &argumentError);
    });
    if (hr == DISP_E_EXCEPTION) throw exception.ToError();
    if (hr == DISP_E_MEMBERNOTFOUND) throw MissingMember(member, hr);
    if (FAILED(hr)) throw ComError(hr);
}

constexpr WORD kGetFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// The member's value converted to `type`; the caller reads the matching field.
void GetConverted(IDispatch& dispatch, TextView member, VARTYPE type, Variant& converted,
                  VARIANT* arguments = nullptr, UINT count = 0) {
    Variant result;
    Invoke(dispatch, member, kGetFlags, arguments, count, result.get());
    const HRESULT hr = ::VariantChangeType(converted.get(), result.get(), 0, type);
    if (FAILED(hr)) throw ComError(hr);
}

[[nodiscard]] HostObjectPtr GetObjectOf(IDispatch& dispatch, TextView member, VARIANT* arguments = nullptr,
                                        UINT count = 0) {
    Variant converted;
    GetConverted(dispatch, member, VT_DISPATCH, converted, arguments, count);
    if ((*converted).pdispVal == nullptr) {
        throw Error(u"メンバー '" + Text(member) + u"' の値がオブジェクトではありません",
                    static_cast<std::int32_t>(E_POINTER));
    }
    // The copy takes the object's one reference for the new HostObject; the variant drops its own.
    return std::make_unique<ComHostObject>(ComPtr<IDispatch>((*converted).pdispVal));
}

}  // namespace

HostException::HostException(Text description, std::int32_t scode, Text source)
    : Error(std::move(description), scode), source_(std::move(source)) {}

Error ComError(HRESULT hr) {
    Text text = SystemMessageText(static_cast<DWORD>(hr));
    if (text.empty()) {
        // Wine has no texts for most OLE codes; the code still tells a maintainer what failed.
        wchar_t code[24];
        std::swprintf(code, 24, L"HRESULT 0x%08lX", static_cast<unsigned long>(hr));
        text = FromWide(code);
    }
    return Error(std::move(text), static_cast<std::int32_t>(hr));
}

ComHostObject::ComHostObject(ComPtr<IDispatch> dispatch) noexcept : dispatch_(std::move(dispatch)) {}

ComHostObject::~ComHostObject() {
    // Dropping the last reference is a call into the host as well, and can hang with it.
    const HostCallScope scope;
    dispatch_.Reset();
}

Text ComHostObject::GetText(TextView member) {
    Variant converted;
    GetConverted(*dispatch_.Get(), member, VT_BSTR, converted);
    return FromWide(std::wstring_view((*converted).bstrVal, ::SysStringLen((*converted).bstrVal)));
}

std::int64_t ComHostObject::GetInteger(TextView member) {
    Variant converted;
    GetConverted(*dispatch_.Get(), member, VT_I8, converted);
    return (*converted).llVal;
}

bool ComHostObject::GetBoolean(TextView member) {
    Variant converted;
    GetConverted(*dispatch_.Get(), member, VT_BOOL, converted);
    return (*converted).boolVal != VARIANT_FALSE;
}

HostObjectPtr ComHostObject::GetObject(TextView member) { return GetObjectOf(*dispatch_.Get(), member); }

HostObjectPtr ComHostObject::GetItem(std::int32_t index) {
    Variant argument;
    argument.get()->vt = VT_I4;
    argument.get()->lVal = index;
    return GetObjectOf(*dispatch_.Get(), u"Item", argument.get(), 1);
}

void ComHostObject::CallMethod(TextView member) {
    Invoke(*dispatch_.Get(), member, DISPATCH_METHOD, nullptr, 0, nullptr);
}

bool ComHostAutomation::IsRunning(TextView progId) {
    const CLSID clsid = ClassOf(progId);
    ComPtr<IUnknown> running;
    // Registered but not running (MK_E_UNAVAILABLE) and every other failure alike mean "no".
    const HRESULT hr =
        CallHost([&] { return ::GetActiveObject(clsid, nullptr, running.ReleaseAndGetAddressOf()); });
    const HostCallScope releasing;
    running.Reset();
    return SUCCEEDED(hr);
}

HostObjectPtr ComHostAutomation::Attach(TextView progId) {
    const CLSID clsid = ClassOf(progId);
    ComPtr<IUnknown> running;
    HRESULT hr =
        CallHost([&] { return ::GetActiveObject(clsid, nullptr, running.ReleaseAndGetAddressOf()); });
    if (FAILED(hr)) throw ComError(hr);
    ComPtr<IDispatch> dispatch;
    hr = CallHost([&] { return running.As(&dispatch); });
    const HostCallScope releasing;
    running.Reset();
    if (FAILED(hr)) throw ComError(hr);
    return std::make_unique<ComHostObject>(std::move(dispatch));
}

}  // namespace zo
