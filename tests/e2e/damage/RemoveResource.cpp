// remove_resource EXE TYPE ID: takes one resource (every language of it) out
// of a copy of a program, as a damaged download would lack it, for the
// end-to-end test of a program that cannot make its window. TYPE and ID are
// numbers (5 is a dialog template). Exit status 0 when it is gone.
//
// Every other resource is written anew into an emptied resource section:
// Wine's UpdateResource does not delete a single resource when given no data.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Resource {
    LPCSTR type;  // an integer or a name that lives as long as the module
    LPCSTR name;
    WORD language;
    std::vector<char> bytes;
};

struct Listing {
    HMODULE module;
    WORD skipType;
    WORD skipId;
    std::vector<Resource> kept;
    int removed = 0;
};

// A copy of a string name: the enumeration's own is gone once it returns.
LPCSTR Keep(LPCSTR name) {
    if (IS_INTRESOURCE(name)) return name;
    static std::vector<std::vector<char>> names;
    names.emplace_back(name, name + lstrlenA(name) + 1);
    return names.back().data();
}

BOOL CALLBACK OnLanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD language, LONG_PTR param) {
    auto* listing = reinterpret_cast<Listing*>(param);
    if (IS_INTRESOURCE(type) && IS_INTRESOURCE(name) && LOWORD(type) == listing->skipType &&
        LOWORD(name) == listing->skipId) {
        ++listing->removed;
        return TRUE;
    }
    HRSRC found = FindResourceExA(module, type, name, language);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr) return FALSE;
    listing->kept.push_back(
        {Keep(type), Keep(name), language, std::vector<char>(bytes, bytes + SizeofResource(module, found))});
    return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param) {
    return EnumResourceLanguagesA(module, type, name, OnLanguage, param);
}

BOOL CALLBACK OnType(HMODULE module, LPSTR type, LONG_PTR param) {
    return EnumResourceNamesA(module, type, OnName, param);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: remove_resource EXE TYPE ID\n");
        return 2;
    }
    Listing listing{nullptr, static_cast<WORD>(std::atoi(argv[2])), static_cast<WORD>(std::atoi(argv[3])), {}};
    listing.module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (listing.module == nullptr) {
        std::fprintf(stderr, "cannot read %s: %lu\n", argv[1], GetLastError());
        return 1;
    }
    const BOOL listed = EnumResourceTypesA(listing.module, OnType, reinterpret_cast<LONG_PTR>(&listing));
    FreeLibrary(listing.module);
    if (!listed || listing.removed == 0) {
        std::fprintf(stderr, "resource %s/%s not found (or the listing failed)\n", argv[2], argv[3]);
        return 1;
    }
    HANDLE update = BeginUpdateResourceA(argv[1], TRUE);
    if (update == nullptr) {
        std::fprintf(stderr, "BeginUpdateResource failed: %lu\n", GetLastError());
        return 1;
    }
    for (Resource& resource : listing.kept) {
        if (!UpdateResourceA(update, resource.type, resource.name, resource.language, resource.bytes.data(),
                             static_cast<DWORD>(resource.bytes.size()))) {
            std::fprintf(stderr, "UpdateResource failed: %lu\n", GetLastError());
            EndUpdateResourceA(update, TRUE);
            return 1;
        }
    }
    if (!EndUpdateResourceA(update, FALSE)) {
        std::fprintf(stderr, "EndUpdateResource failed: %lu\n", GetLastError());
        return 1;
    }
    std::printf("removed=%d kept=%zu\n", listing.removed, listing.kept.size());
    return 0;
}
