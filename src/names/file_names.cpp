#include "names/file_names.h"

#include <cstdio>
#include <cstring>

namespace zy {

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Longer than any name a scene file can give, with room for an extension.
constexpr std::size_t kNameBuffer = 500;
constexpr std::size_t kExtensionRoom = 5;

}  // namespace

char* fix_slash(char* path) {
    char* out = path;
    for (const char* in = path; *in; ++in) {
        if (is_separator(*in)) {
            if (out > path && out[-1] == '\\') continue;
            *out++ = '\\';
        } else {
            *out++ = *in;
        }
    }
    *out = '\0';
    return path;
}

char* Maj_vers_Min(char* name) {
    if (name == nullptr) return nullptr;
    for (char* c = name; *c; ++c)
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
    return name;
}

char* fix_lecteur(char* path) {
    if (path[0] != '\0' && path[1] == ':' && path[0] >= 'a' && path[0] <= 'z')
        path[0] = static_cast<char>(path[0] - 'a' + 'A');
    return path;
}

char* universal_path(char* path) {
    fix_slash(path);
    Maj_vers_Min(path);
    fix_lecteur(path);
    return path;
}

const char* get_nom(const char* name) {
    const char* last = std::strrchr(name, '\\');
    return last ? last + 1 : name;
}

void extension(char* name, const char* ext) {
    char* dot = std::strrchr(name, '.');
    if (dot != nullptr && dot > name) {
        std::memcpy(dot, ext, 4);
        dot[4] = '\0';
    } else {
        std::strcat(name, ext);
    }
}

std::string folder_file(const std::string& name) {
    char text[kNameBuffer];
    std::snprintf(text, sizeof text, "%s", name.c_str());
    return get_nom(universal_path(text));
}

std::string folder_file(const std::string& name, const char* ext) {
    char text[kNameBuffer];
    std::snprintf(text, sizeof text - kExtensionRoom, "%s", name.c_str());
    extension(text, ext);
    return folder_file(text);
}

}  // namespace zy
