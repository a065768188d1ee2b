// SPDX-License-Identifier: GPL-3.0-or-later
// The player's modules: the parts of the program that need a large library (the sound
// output needs SDL and the sound server's libraries, the desktop's CD player GIO, the
// names lookup Qt Network) are shared objects of ours, loaded the first time they are
// needed, so that a start that does not need them does not load those libraries
// either. Each module has one entry point.
//
// A module is looked for where the installation puts it, relative to the program's own
// folder (kModuleFolder, set by the build), then beside the program (a build that has
// not been installed). Once loaded it stays loaded for the rest of the run.
//
// The entry point is declared with LYRABOX_MODULE_ENTRY, which exports it: a module
// is built with everything else hidden. It has C linkage for its name alone, which
// dlsym finds as it is written; its parameters are C++ types (a std::string, a
// shared_ptr, a class of ours). That is sound because a module is loaded only by the
// program built with it, in the same build, with the same compiler and standard
// library, and installed with it in the program's own folder; the static_assert beside
// each entry ties its definition to the type the program calls it through. Nothing
// written in C ever calls one.
//
// Linux only. Thread: any.
#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#define LYRABOX_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

namespace lyrabox::modules {

#ifdef LYRABOX_MODULE_FOLDER
inline constexpr char kModuleFolder[] = LYRABOX_MODULE_FOLDER;
#else
inline constexpr char kModuleFolder[] = ".";
#endif

namespace detail {

inline void* Symbol(const std::string& name, const char* symbol, std::string& why) {
  static std::mutex loading;
  const std::lock_guard lock(loading);
  const std::string file = name + ".so";
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    why = "the program's own folder is unknown (" + error.message() + ")";
    return nullptr;
  }
  for (const std::filesystem::path& folder :
       {program.parent_path() / kModuleFolder, program.parent_path()}) {
    const std::filesystem::path path = folder / file;
    if (!std::filesystem::exists(path, error)) continue;
    // Loaded once: a second dlopen of the same file only counts a reference.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      const char* text = ::dlerror();
      why = text != nullptr ? text : path.string() + " cannot be loaded";
      return nullptr;
    }
    if (void* entry = ::dlsym(module, symbol)) return entry;
    // Of no use without its entry: given back, so that a wrong module costs nothing.
    ::dlclose(module);
    why = path.string() + " has no " + symbol;
    return nullptr;
  }
  why = "the module " + file + " is not installed beside the program";
  return nullptr;
}

}  // namespace detail

// The entry point `symbol` of the module `name` ("lyrabox-sound" is the file
// lyrabox-sound.so), of the type `Function`. Null, with `why` saying what went wrong,
// when the module is not there or cannot be loaded.
template <typename Function>
Function* Entry(const std::string& name, const char* symbol, std::string& why) {
  return reinterpret_cast<Function*>(detail::Symbol(name, symbol, why));
}

}  // namespace lyrabox::modules
