#include "KvduiNodeSystem.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace KvduiNodeSystem {

namespace {

const char* const LibraryName = "libkvdui.so.1";

// The library in each folder dlopen would search from this module (LD_LIBRARY_PATH, its RUNPATH with
// $ORIGIN worked out, the system's), tried by its full path: a sanitizer's dlopen wrapper searches from
// its own library instead, which knows nothing of this module's RUNPATH.
void* OpenFromLoaderFolders() {
    static const char marker = 0;
    Dl_info self{};
    void* own = ::dladdr(&marker, &self) && self.dli_fname ? ::dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD)
                                                           : nullptr;
    void* found = nullptr;
    Dl_serinfo size{};
    if (own && ::dlinfo(own, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size > 0) {
        std::vector<char> buffer(size.dls_size);
        auto* paths = reinterpret_cast<Dl_serinfo*>(buffer.data());
        *paths = size;
        if (::dlinfo(own, RTLD_DI_SERINFO, paths) == 0)
            for (unsigned i = 0; i < paths->dls_cnt && !found; ++i) {
                const std::string file = std::string(paths->dls_serpath[i].dls_name) + "/" + LibraryName;
                if (::access(file.c_str(), F_OK) == 0)
                    found = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
            }
    }
    if (own)
        ::dlclose(own);
    return found;
}

} // namespace

void* OpenLibrary(const char* path, std::string& error) {
    void* handle = path ? ::dlopen(path, RTLD_NOW | RTLD_LOCAL) : OpenFromLoaderFolders();
    if (!handle && !path)
        handle = ::dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL); // the system's search, and its message
    if (!handle) {
        const char* reason = ::dlerror();
        error = reason ? reason : "unknown error";
    }
    return handle;
}

void* LibrarySymbol(void* handle, const char* name) {
    return ::dlsym(handle, name);
}

void CloseLibrary(void* handle) {
    ::dlclose(handle);
}

std::string LibraryFile(void* handle, const char* fallback) {
    link_map* map = nullptr;
    ::dlinfo(handle, RTLD_DI_LINKMAP, &map);
    char* real = map ? ::realpath(map->l_name, nullptr) : nullptr;
    const std::string file = real ? real : map ? map->l_name : fallback;
    std::free(real);
    return file;
}

bool MakeWakePipe(int fds[2]) {
    return ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0;
}

bool Wake(int writeEnd) {
    const char byte = 1;
    return ::write(writeEnd, &byte, 1) == 1;
}

void CloseDescriptor(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

void WaitReadable(int a, int b, int timeoutMs) {
    pollfd fds[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    ::poll(fds, 2, timeoutMs);
}

bool Readable(int fd) {
    pollfd poll = {fd, POLLIN, 0};
    return ::poll(&poll, 1, 0) > 0;
}

} // namespace KvduiNodeSystem
