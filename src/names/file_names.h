// How zyray turns the names its files give into files of its working folder:
// separators and case unified, the last component kept, extensions replaced.
// Shared by the renderer and the tools that prepare or inspect its folders.
#pragma once

#include <string>

namespace zy {

char* fix_slash(char* path);
char* Maj_vers_Min(char* name);
char* fix_lecteur(char* path);
/// Separators unified and collapsed, lower case, drive letter upper case.
char* universal_path(char* path);

/// Part of the name after the last backslash.
const char* get_nom(const char* name);

/// Gives name the four-character extension ext (".BRK"), replacing from the last
/// dot when it is not the first character.
void extension(char* name, const char* ext);

/// The file of the working folder that zyray opens for name: normalised, last
/// component.
std::string folder_file(const std::string& name);
/// The file of the working folder that zyray opens for name with the extension
/// ext (".INF") put in place.
std::string folder_file(const std::string& name, const char* ext);

}  // namespace zy
