// Takes a census of another process's heaps: the first time, loads heap_census_dll.dll into it
// with a thread of its own; then tells the DLL's thread there to write its census, waits for it,
// and moves what it wrote to <out>.
//
//   heap_census <pid> <census DLL> <out>
//
// Prints one JSON line: {"done": true} or {"error": ...}. For finding what a long run's memory
// growth is made of: censuses at still moments, compared by block size and first bytes.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int Fail(const char* what) {
    std::printf("{\"error\": \"%s\", \"code\": %lu}\n", what, GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fputs("usage: heap_census <pid> <census DLL> <out>\n", stderr);
        return 2;
    }
    const DWORD pid = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
    wchar_t dll[MAX_PATH];
    if (!GetFullPathNameW(argv[2], MAX_PATH, dll, nullptr)) return Fail("GetFullPathNameW");
    const std::wstring written = std::wstring(dll) + L".census";
    DeleteFileW(written.c_str());

    wchar_t go[64], done[64];
    std::swprintf(go, 64, L"Local\\ZoHeapCensus.%lu.go", static_cast<unsigned long>(pid));
    std::swprintf(done, 64, L"Local\\ZoHeapCensus.%lu.done", static_cast<unsigned long>(pid));
    HANDLE goEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, go);
    if (!goEvent) {
        const HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_VM_OPERATION | PROCESS_VM_WRITE |
                                               PROCESS_QUERY_INFORMATION | SYNCHRONIZE,
                                           FALSE, pid);
        if (!process) return Fail("OpenProcess");
        const SIZE_T bytes = (wcslen(dll) + 1) * sizeof(wchar_t);
        void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!remote || !WriteProcessMemory(process, remote, dll, bytes, nullptr))
            return Fail("VirtualAllocEx");
        // kernel32 lies at the same address in every process of the session.
        const auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
        const HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr);
        if (!thread) return Fail("CreateRemoteThread");
        const DWORD waited = WaitForSingleObject(thread, 30000);
        CloseHandle(thread);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        if (waited != WAIT_OBJECT_0) return Fail("LoadLibraryW in the process did not end");
        // The DLL's thread makes its events once it runs; the thread's exit code, the module's
        // address cut to 32 bits, says nothing sure of the load.
        for (int tries = 0; !goEvent && tries < 500; ++tries) {
            Sleep(10);
            goEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, go);
        }
        if (!goEvent) return Fail("the census thread did not start");
    }
    const HANDLE doneEvent = OpenEventW(SYNCHRONIZE, FALSE, done);
    if (!doneEvent) return Fail("OpenEventW(done)");
    SetEvent(goEvent);
    const DWORD waited = WaitForSingleObject(doneEvent, 30000);
    CloseHandle(goEvent);
    CloseHandle(doneEvent);
    if (waited != WAIT_OBJECT_0) return Fail("the census did not end");
    if (!MoveFileExW(written.c_str(), argv[3], MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return Fail("MoveFileExW");
    std::printf("{\"done\": true}\n");
    return 0;
}
