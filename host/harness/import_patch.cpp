// Rewrites entries of a loaded module's import address table, so that calls the module makes to
// a platform function land in a function of ours. Walks the import descriptors by name.
#include "host/harness/import_patch.h"
#include <cstring>

namespace {

template <typename T>
T* AtRva(HMODULE module, DWORD rva) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + rva);
}

}  // namespace

void ForEachImportFrom(HMODULE module, const char* dll,
                       const std::function<void(const char* name, ULONG_PTR* entry)>& visit) {
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    if (!module || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    auto* nt = AtRva<IMAGE_NT_HEADERS>(module, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) return;
    for (auto* descriptor = AtRva<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        // NOTE: names live in the original thunks; the address table itself is overwritten by the
        // loader. A module without original thunks (bound, old linkers) can't be matched by name.
        if (descriptor->OriginalFirstThunk == 0) continue;
        if (dll && lstrcmpiA(AtRva<char>(module, descriptor->Name), dll) != 0) continue;
        auto* names = AtRva<IMAGE_THUNK_DATA>(module, descriptor->OriginalFirstThunk);
        auto* addresses = AtRva<IMAGE_THUNK_DATA>(module, descriptor->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = AtRva<IMAGE_IMPORT_BY_NAME>(module, (DWORD)names->u1.AddressOfData);
            visit(reinterpret_cast<const char*>(byName->Name), reinterpret_cast<ULONG_PTR*>(&addresses->u1.Function));
        }
    }
}

bool WriteImportEntry(ULONG_PTR* entry, ULONG_PTR value) {
    DWORD oldProtect;
    if (!VirtualProtect(entry, sizeof(*entry), PAGE_READWRITE, &oldProtect)) return false;
    *entry = value;
    VirtualProtect(entry, sizeof(*entry), oldProtect, &oldProtect);
    FlushInstructionCache(GetCurrentProcess(), entry, sizeof(*entry));
    return true;
}

void* PatchImport(HMODULE module, const char* function, void* replacement) {
    void* original = nullptr;
    ForEachImportFrom(module, nullptr, [&](const char* name, ULONG_PTR* entry) {
        if (std::strcmp(name, function) != 0) return;
        void* previous = reinterpret_cast<void*>(*entry);
        if (WriteImportEntry(entry, reinterpret_cast<ULONG_PTR>(replacement)) && !original) original = previous;
    });
    return original;
}
