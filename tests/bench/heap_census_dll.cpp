// Loaded into another process by heap_census.exe, once: it starts one thread there that, each time
// the event "Local\\ZoHeapCensus.<pid>.go" is set, writes every busy block of every heap of that
// process to "<this DLL's path>.census", one line each (heap index, size, overhead, the first 16
// bytes in hex), and then sets "Local\\ZoHeapCensus.<pid>.done". It stays loaded and its thread
// stays: what loading and starting it cost is paid once, at the first census, and every later
// census finds the heaps as the process left them. It uses nothing but the system's calls.
#include <windows.h>

namespace {

constexpr int kShownBytes = 16;

// Not on the stack: the thread the census runs on may have little of it.
char g_buffer[1 << 16];

class Output {
  public:
    explicit Output(HANDLE file) : file_(file) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() { Flush(); }
    void Put(char c) {
        if (used_ == sizeof g_buffer) Flush();
        g_buffer[used_++] = c;
    }
    void Number(unsigned long long value) {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value);
        while (n) Put(digits[--n]);
    }
    void Hex(unsigned char byte) {
        static const char kDigits[] = "0123456789abcdef";
        Put(kDigits[byte >> 4]);
        Put(kDigits[byte & 15]);
    }

  private:
    void Flush() {
        DWORD written = 0;
        if (used_) WriteFile(file_, g_buffer, used_, &written, nullptr);
        used_ = 0;
    }
    HANDLE file_;
    DWORD used_ = 0;
};

void Census(HMODULE self) {
    wchar_t path[MAX_PATH + 16];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    lstrcpyW(path + length, L".census");
    const HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    {
        Output out(file);
        HANDLE heaps[64];
        const DWORD count = GetProcessHeaps(64, heaps);
        for (DWORD h = 0; h < count && h < 64; ++h) {
            if (!HeapLock(heaps[h])) continue;
            PROCESS_HEAP_ENTRY entry{};
            while (HeapWalk(heaps[h], &entry)) {
                if (!(entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)) continue;
                out.Number(h);
                out.Put(' ');
                out.Number(entry.cbData);
                out.Put(' ');
                out.Number(entry.cbOverhead);
                out.Put(' ');
                const auto* bytes = static_cast<const unsigned char*>(entry.lpData);
                for (DWORD i = 0; i < kShownBytes && i < entry.cbData; ++i) out.Hex(bytes[i]);
                out.Put('\n');
            }
            HeapUnlock(heaps[h]);
        }
    }
    CloseHandle(file);
}

// "Local\ZoHeapCensus.<pid>.<what>", as heap_census.exe names it.
void EventName(wchar_t* out, const wchar_t* what) {
    lstrcpyW(out, L"Local\\ZoHeapCensus.");
    wchar_t digits[16];
    int n = 0;
    for (DWORD pid = GetCurrentProcessId(); n == 0 || pid; pid /= 10)
        digits[n++] = static_cast<wchar_t>(L'0' + pid % 10);
    wchar_t* at = out + lstrlenW(out);
    while (n) *at++ = digits[--n];
    *at++ = L'.';
    lstrcpyW(at, what);
}

DWORD WINAPI CensusLoop(void* self) {
    wchar_t name[64];
    EventName(name, L"go");
    const HANDLE go = CreateEventW(nullptr, FALSE, FALSE, name);
    EventName(name, L"done");
    const HANDLE done = CreateEventW(nullptr, FALSE, FALSE, name);
    if (!go || !done) return 1;
    while (WaitForSingleObject(go, INFINITE) == WAIT_OBJECT_0) {
        Census(static_cast<HMODULE>(self));
        SetEvent(done);
    }
    return 0;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    DisableThreadLibraryCalls(instance);
    const HANDLE thread = CreateThread(nullptr, 0, CensusLoop, instance, 0, nullptr);
    if (!thread) return FALSE;
    CloseHandle(thread);
    return TRUE;
}
