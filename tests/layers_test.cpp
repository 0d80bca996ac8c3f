// The folders of src/ stand in layers: model/ at the bottom includes nothing
// above it; soil/, solver/, steady/ and output/ stand on it and never include
// driver/; driver/ is on top and main.cpp only wires. No two folders include
// each other, directly or through others. The test reads the #include lines
// of every source file, so a new include that breaks a layer fails here before
// it grows into a knot.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace slurry1d::testing {
namespace {

namespace fs = std::filesystem;

// Folder -> the other folders its files include. Files directly in src/
// (main.cpp) count as the folder "main".
using FolderGraph = std::map<std::string, std::set<std::string>>;

// The folder of src/ a quoted include names: "solver/refine.hpp" -> "solver";
// "" for an include without a folder.
std::string included_folder(const std::string& line) {
  static const std::regex include(R"(^\s*#\s*include\s*"([^"/]+)/[^"]*")");
  std::smatch m;
  return std::regex_search(line, m, include) ? m[1].str() : std::string();
}

FolderGraph read_folder_graph(const fs::path& src) {
  FolderGraph graph;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".hpp" && ext != ".h") continue;
    const fs::path relative = fs::relative(entry.path(), src);
    const std::string folder =
        relative.has_parent_path() ? relative.begin()->string() : std::string("main");
    graph[folder];
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);) {
      const std::string to = included_folder(line);
      if (!to.empty() && to != folder) graph[folder].insert(to);
    }
  }
  return graph;
}

// One circle of folders that include each other ("a -> b -> a"), or "" when
// there is none.
std::string find_circle(const FolderGraph& graph) {
  enum class Mark { Unseen, OnPath, Done };
  std::map<std::string, Mark> mark;
  std::vector<std::string> path;
  std::string circle;
  const auto visit = [&](const auto& self, const std::string& folder) -> bool {
    mark[folder] = Mark::OnPath;
    path.push_back(folder);
    const auto it = graph.find(folder);
    if (it != graph.end()) {
      for (const std::string& next : it->second) {
        if (mark[next] == Mark::OnPath) {
          const auto start = std::find(path.begin(), path.end(), next);
          for (auto f = start; f != path.end(); ++f) circle += *f + " -> ";
          circle += next;
          return true;
        }
        if (mark[next] == Mark::Unseen && self(self, next)) return true;
      }
    }
    path.pop_back();
    mark[folder] = Mark::Done;
    return false;
  };
  for (const auto& [folder, _] : graph) {
    if (mark[folder] == Mark::Unseen && visit(visit, folder)) return circle;
  }
  return {};
}

// The folders that may not include driver/.
const std::set<std::string>& below_driver() {
  static const std::set<std::string> folders = {"model", "soil", "solver", "steady", "output"};
  return folders;
}

// Every include that breaks a layer, one text each ("solver -> driver"), and
// the first circle, if any.
std::vector<std::string> layer_violations(const FolderGraph& graph) {
  std::vector<std::string> found;
  for (const auto& [folder, includes] : graph) {
    for (const std::string& to : includes) {
      if (folder == "model") found.push_back("model -> " + to + " (model/ is the floor)");
      if (to == "driver" && below_driver().count(folder) != 0) {
        found.push_back(folder + " -> driver (driver/ is on top)");
      }
      if (to == "main") found.push_back(folder + " -> main (main.cpp only wires)");
    }
  }
  if (const std::string circle = find_circle(graph); !circle.empty()) {
    found.push_back("circle " + circle);
  }
  return found;
}

TEST(Layers, TheSourceTreeKeepsItsLayers) {
  const FolderGraph graph = read_folder_graph(SLURRY1D_SOURCE_DIR);
  // The scan found the tree: every layer is there and the driver uses the rest.
  for (const char* folder : {"model", "soil", "solver", "steady", "output", "driver", "main"}) {
    EXPECT_EQ(graph.count(folder), 1u) << folder;
  }
  EXPECT_EQ(graph.at("main").count("driver"), 1u);
  EXPECT_EQ(graph.at("driver").count("model"), 1u);

  const std::vector<std::string> violations = layer_violations(graph);
  std::string listed;
  for (const std::string& v : violations) listed += "\n  " + v;
  EXPECT_TRUE(violations.empty()) << "includes that break the layers:" << listed;
}

TEST(Layers, IncludeLinesNameTheirFolder) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"#include \"solver/refine.hpp\"", "solver"},
      {"  #  include \"model/clock.hpp\"  // the clock", "model"},
      {"#include <vector>", ""},
      {"#include \"local.hpp\"", ""},
      {"// #include \"driver/run_state.hpp\" in a comment", ""},
      {"std::string s = \"#include \\\"driver/x.hpp\\\"\";", ""},
  };
  for (const auto& [line, folder] : cases) EXPECT_EQ(included_folder(line), folder) << line;
}

struct GraphCase {
  const char* what;
  FolderGraph graph;
  std::vector<std::string> violations;
};

TEST(Layers, EveryKindOfBrokenLayerIsFound) {
  const FolderGraph sound = {{"model", {}},
                             {"soil", {"model"}},
                             {"output", {"model", "soil"}},
                             {"solver", {"model", "soil", "output"}},
                             {"steady", {"model", "soil", "output"}},
                             {"driver", {"model", "soil", "solver", "steady", "output"}},
                             {"main", {"driver"}}};
  const auto with = [&](const std::string& from, const std::string& to) {
    FolderGraph g = sound;
    g[from].insert(to);
    return g;
  };
  const std::vector<GraphCase> cases = {
      {"sound", sound, {}},
      {"solver includes driver",
       with("solver", "driver"),
       {"solver -> driver (driver/ is on top)", "circle driver -> solver -> driver"}},
      {"model includes soil",
       with("model", "soil"),
       {"model -> soil (model/ is the floor)", "circle model -> soil -> model"}},
      {"output includes solver", with("output", "solver"), {"circle output -> solver -> output"}},
      {"soil includes steady: a circle of three",
       with("soil", "steady"),
       {"circle output -> soil -> steady -> output"}},
      {"a new folder on top of the driver", with("charts", "driver"), {}},
      {"driver includes main",
       with("driver", "main"),
       {"driver -> main (main.cpp only wires)", "circle driver -> main -> driver"}},
  };
  for (const GraphCase& c : cases) EXPECT_EQ(layer_violations(c.graph), c.violations) << c.what;

  FolderGraph knot = with("charts", "driver");
  knot["driver"].insert("charts");
  EXPECT_EQ(layer_violations(knot), std::vector<std::string>{"circle charts -> driver -> charts"});
}

}  // namespace
}  // namespace slurry1d::testing
