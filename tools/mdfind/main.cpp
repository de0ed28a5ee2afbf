// Finds files by their metadata the way the system's search tool is asked to:
//   mdfind [-onlyin folder]... query
// It reads no index: it walks the folders (never following links, passing over hidden
// items and kernel file systems) and prints the path of each match on a line of its own.

#include "FileMetadata.h"
#include "MetadataQuery.h"

#include "platform/FileSystem.h"
#include "spacemap/KernelFileSystem.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unordered_set>
#include <vector>

using namespace kelvora;
using namespace kelvora::mdfind;

namespace {

struct Arguments {
    std::vector<std::string> folders;
    std::string query;
};

int usage(const std::string& problem) {
    std::cerr << "mdfind: " << problem << "\nusage: mdfind [-onlyin folder]... query\n";
    return 1;
}

// Hidden items are not searched: the system's index leaves them out as well.
void search(const std::string& folder, const MetadataQuery& query,
            std::unordered_set<std::string>& printed) {
    std::vector<URL> pending = {URL::fileURL(standardizedPath(folder), true)};
    while (!pending.empty()) {
        URL current = pending.back();
        pending.pop_back();
        if (isKernelFileSystem(current.path())) continue;
        Listing listing = listFolder(current);
        // Pushed in reverse so folders are walked in name order.
        for (auto it = listing.entries.rbegin(); it != listing.entries.rend(); ++it)
            if (it->isDirectory() && !it->hidden) pending.push_back(it->url);
        for (const FileInfo& entry : listing.entries) {
            if (entry.hidden || entry.isSymlink()) continue;
            // One path a line: a name with a line break would read as two paths, the second
            // of them anywhere on the disk.
            if (entry.url.path().find('\n') != std::string::npos) continue;
            if (query.matches(FileMetadata(entry)) && printed.insert(entry.url.path()).second)
                std::cout << entry.url.path() << '\n';
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "-onlyin") {
            if (i + 1 >= argc) return usage("-onlyin needs a folder");
            arguments.folders.push_back(argv[++i]);
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage("unknown option " + argument);
        } else if (!arguments.query.empty()) {
            return usage("give the query as one argument");
        } else {
            arguments.query = argument;
        }
    }
    if (arguments.query.empty()) return usage("no query given");

    auto parsed = MetadataQuery::parse(arguments.query);
    if (auto* problem = std::get_if<std::string>(&parsed))
        return usage("cannot read the query: " + *problem);
    const MetadataQuery& query = std::get<MetadataQuery>(parsed);

    if (arguments.folders.empty()) arguments.folders.push_back("/");
    std::unordered_set<std::string> printed;
    for (const auto& folder : arguments.folders)
        search(folder, query, printed);
    std::cout.flush();
    return std::cout ? 0 : 1;
}
