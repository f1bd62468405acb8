#include "host_objects.h"

#include <algorithm>
#include <utility>

namespace test_host {
namespace {

constexpr wchar_t kSource[] = L"Vexo.Application";
// An interface-specific code, so a client can tell a forced failure from a system error.
constexpr HRESULT kForcedFailure = static_cast<HRESULT>(0x80040201L);
// The exit code of a host that died on purpose inside a call, for a driver that looks.
constexpr UINT kDyingExitCode = 86;

[[nodiscard]] bool SameName(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL;
}

void SetText(VARIANT* result, const std::wstring& text) {
    if (result == nullptr) return;
    VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void SetObject(VARIANT* result, DispatchObject* object) {
    // The new object's first reference belongs to the variant; without one it goes at once.
    if (result == nullptr) {
        object->Release();
        return;
    }
    VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
}

class StateObject final : public DispatchObject {
  public:
    explicit StateObject(HostModel& model) : DispatchObject(model, {L"IsQuiescent"}, true) {}

  protected:
    HRESULT Call(const std::wstring&, WORD, DISPPARAMS&, VARIANT* result, std::wstring&, UINT*) override {
        if (result != nullptr) {
            VariantInit(result);
            result->vt = VT_BOOL;
            result->boolVal = model_.busy ? VARIANT_FALSE : VARIANT_TRUE;
        }
        return S_OK;
    }
};

class DrawingObject final : public DispatchObject {
  public:
    DrawingObject(HostModel& model, std::shared_ptr<Drawing> drawing)
        : DispatchObject(model, {L"Name", L"Activate"}, true), drawing_(std::move(drawing)) {}

  protected:
    HRESULT Call(const std::wstring& member, WORD, DISPPARAMS&, VARIANT* result, std::wstring& failure,
                 UINT*) override {
        if (member == L"Name") {
            SetText(result, drawing_->name);
            return S_OK;
        }
        const auto& drawings = model_.drawings;
        const auto found = std::find(drawings.begin(), drawings.end(), drawing_);
        if (found == drawings.end()) {
            failure = L"The drawing " + drawing_->name + L" is no longer open";
            return DISP_E_EXCEPTION;
        }
        model_.activeIndex = static_cast<int>(found - drawings.begin());
        model_.log({L"activated", drawing_->name});
        return S_OK;
    }

  private:
    std::shared_ptr<Drawing> drawing_;
};

class DocumentsObject final : public DispatchObject {
  public:
    explicit DocumentsObject(HostModel& model) : DispatchObject(model, {L"Count", L"Item"}, true) {}

  protected:
    HRESULT Call(const std::wstring& member, WORD, DISPPARAMS& params, VARIANT* result, std::wstring& failure,
                 UINT* argError) override {
        if (member == L"Count") {
            if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
            if (result != nullptr) {
                VariantInit(result);
                result->vt = VT_I4;
                result->lVal = static_cast<LONG>(model_.drawings.size());
            }
            return S_OK;
        }
        if (params.cArgs != 1 || params.cNamedArgs != 0) return DISP_E_BADPARAMCOUNT;
        VARIANT index;
        VariantInit(&index);
        // Any integer type (and references to one) is accepted, as a real collection does.
        if (FAILED(VariantChangeType(&index, &params.rgvarg[0], 0, VT_I4))) {
            if (argError != nullptr) *argError = 0;
            return DISP_E_TYPEMISMATCH;
        }
        const LONG at = index.lVal;
        if (at < 0 || static_cast<std::size_t>(at) >= model_.drawings.size()) {
            failure = L"Index out of range: " + std::to_wstring(at);
            return DISP_E_EXCEPTION;
        }
        SetObject(result, new DrawingObject(model_, model_.drawings[static_cast<std::size_t>(at)]));
        return S_OK;
    }
};

// Besides the members, counts the connections the marshaller reports, which is how the host
// learns about references held in other processes.
class ApplicationObject final : public DispatchObject, public IExternalConnection {
  public:
    explicit ApplicationObject(HostModel& model)
        : DispatchObject(model, {L"FullName", L"HWND", L"GetAcadState", L"ActiveDocument", L"Documents"},
                         false) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return DispatchObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DispatchObject::Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        return DispatchObject::QueryInterface(riid, object);
    }
    DWORD STDMETHODCALLTYPE AddConnection(DWORD kind, DWORD) override {
        if ((kind & EXTCONN_STRONG) != 0) ++model_.applicationConnections;
        return static_cast<DWORD>(model_.applicationConnections);
    }
    DWORD STDMETHODCALLTYPE ReleaseConnection(DWORD kind, DWORD, BOOL) override {
        if ((kind & EXTCONN_STRONG) != 0) --model_.applicationConnections;
        return static_cast<DWORD>(model_.applicationConnections);
    }

  protected:
    bool HasInterface(REFIID riid, void** object) override {
        if (riid == IID_IExternalConnection) {
            *object = static_cast<IExternalConnection*>(this);
            return true;
        }
        return DispatchObject::HasInterface(riid, object);
    }

    HRESULT Call(const std::wstring& member, WORD, DISPPARAMS& params, VARIANT* result, std::wstring& failure,
                 UINT*) override {
        if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (member == L"FullName") {
            SetText(result, model_.fullName);
        } else if (member == L"HWND") {
            if (result != nullptr) {
                VariantInit(result);
                result->vt = VT_I8;
                result->llVal = model_.reportedWindow();
            }
        } else if (member == L"GetAcadState") {
            SetObject(result, new StateObject(model_));
        } else if (member == L"Documents") {
            SetObject(result, new DocumentsObject(model_));
        } else {
            const int active = model_.activeIndex;
            if (active < 0 || static_cast<std::size_t>(active) >= model_.drawings.size()) {
                failure = L"No active document";
                return DISP_E_EXCEPTION;
            }
            SetObject(result, new DrawingObject(model_, model_.drawings[static_cast<std::size_t>(active)]));
        }
        return S_OK;
    }
};

}  // namespace

DispatchObject::DispatchObject(HostModel& model, std::vector<std::wstring> members, bool counted)
    : model_(model), members_(std::move(members)), counted_(counted) {
    if (counted_) ++model_.liveObjects;
}

DispatchObject::~DispatchObject() {
    if (counted_) --model_.liveObjects;
}

bool DispatchObject::HasInterface(REFIID riid, void** object) {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        return true;
    }
    return false;
}

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!HasInterface(riid, object)) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG DispatchObject::AddRef() { return ++references_; }

ULONG DispatchObject::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    // Only the member name is looked up; named arguments are not supported.
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (SameName(members_[i], names[0])) {
            ids[0] = static_cast<DISPID>(i + 1);
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    const std::wstring& member = members_[static_cast<std::size_t>(id - 1)];
    model_.log({L"call", member});
    DISPPARAMS noArguments{};
    if (const auto refusal = WrongShape(member, locale, flags, params != nullptr ? *params : noArguments)) {
        model_.log({L"refused", member, refusal->second});
        return refusal->first;
    }
    if (model_.dyingMember && SameName(*model_.dyingMember, member.c_str())) {
        // No reply, no clean-up: the caller must meet the call dying in flight.
        TerminateProcess(GetCurrentProcess(), kDyingExitCode);
    }
    if (model_.stallingMember && SameName(*model_.stallingMember, member.c_str())) {
        Sleep(model_.stallMilliseconds);
    }

    DISPPARAMS none{};
    DISPPARAMS& args = params != nullptr ? *params : none;
    std::wstring failure;
    HRESULT hr = S_OK;
    HRESULT code = kForcedFailure;
    if (model_.failingMember && SameName(*model_.failingMember, member.c_str())) {
        failure =
            model_.failingDescription.empty() ? L"テストホストの失敗: " + member : model_.failingDescription;
        hr = DISP_E_EXCEPTION;
    } else {
        hr = Call(member, flags, args, result, failure, argError);
        code = E_FAIL;
    }
    if (hr == DISP_E_EXCEPTION && exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = code;
        exception->bstrSource = SysAllocString(kSource);
        exception->bstrDescription = SysAllocStringLen(failure.data(), static_cast<UINT>(failure.size()));
    }
    if (model_.freezingAfterMember && SameName(*model_.freezingAfterMember, member.c_str())) {
        // The reply goes out when this returns; the freeze comes right after it.
        model_.freezingAfterMember.reset();
        if (model_.freezeSoon) model_.freezeSoon();
    }
    return hr;
}

std::optional<std::pair<HRESULT, std::wstring>> DispatchObject::WrongShape(const std::wstring& member,
                                                                           LCID locale, WORD flags,
                                                                           const DISPPARAMS& params) const {
    // Activate is a method without a value; every other member returns one and is read as a
    // property that may be a method.
    const WORD expected = member == L"Activate" ? DISPATCH_METHOD : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    if (flags != expected) {
        return std::make_pair(DISP_E_MEMBERNOTFOUND, L"flags " + std::to_wstring(flags) + L", expected " +
                                                         std::to_wstring(expected));
    }
    if (locale != 0) return std::make_pair(DISP_E_UNKNOWNLCID, L"locale " + std::to_wstring(locale));
    if (member == L"Item" && (params.cArgs != 1 || params.rgvarg[0].vt != VT_I4)) {
        const std::wstring type = params.cArgs == 1 ? std::to_wstring(params.rgvarg[0].vt) : L"none";
        return std::make_pair(DISP_E_TYPEMISMATCH, L"argument type " + type + L", expected VT_I4");
    }
    return std::nullopt;
}

DispatchObject* CreateApplication(HostModel& model) { return new ApplicationObject(model); }

}  // namespace test_host
