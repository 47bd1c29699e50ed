#pragma once
// The kinds of file that "dump" and "build" know: each maps a file's bytes to JSON and back.
// Every kind registers itself from its own file with a FileKindRegistrar.
#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <vector>

namespace orlinda::cli {

using Json = nlohmann::ordered_json;

struct DumpResult {
    Json json;          // what was read; for a file that failed part way, the part before the failure
    std::string error;  // the reader's message when the file failed part way, else empty
};

struct FileKind {
    std::string name;     // as given to --kind
    std::string summary;  // one line for the commands' --help, e.g. "users.dat: the people"
    // Reads the file. Failures to open it raise orlinda::Error.
    std::function<DumpResult(const std::string& fileName)> dump;
    // Converts JSON (as dump produces it) into the file's bytes. Bad input raises
    // orlinda::Error with a message that names the record and the key.
    std::function<std::string(const Json& json)> build;
};

void RegisterFileKind(FileKind kind);
// All kinds, sorted by name.
std::vector<const FileKind*> FileKinds();
const FileKind* FindFileKind(const std::string& name);
// "  users      users.dat: the people\n..." for --help texts.
std::string FileKindsHelp();

struct FileKindRegistrar {
    explicit FileKindRegistrar(FileKind kind) { RegisterFileKind(std::move(kind)); }
};

} // namespace orlinda::cli
