#pragma once

// A small, physically plausible run written as result tables: a 10 m slurry
// consolidating under its own weight on an impervious base, three nodes,
// output times 10, 100, 1000 and 2000, ending at its last output time.

#include <filesystem>
#include <fstream>
#include <string>

#include "report/run_facts.hpp"

namespace slurry1d::test {

inline const char* const SAMPLE_HISTORY =
    "time,height,settlement,placed_height,outflow_top,outflow_base,crust_thickness,crack_depth,"
    "nodes,step,passes\n"
    "0,10,0,0,0,0,0,0,3,0,0\n"
    "5,9.99,0.01,0,0.01,0,0,0,3,5,3\n"
    "10,9.98,0.02,0,0.02,0,0,0,3,5,2\n"
    "50,9.8,0.2,0,0.2,0,0,0,3,40,2\n"
    "100,9.5,0.5,0,0.5,0,0,0,3,50,2\n"
    "1000,7,3,0,3,0,0,0,3,50,2\n"
    "2000,6,4,0,4,0,0,0,3,50,2\n";

inline const char* const SAMPLE_PROFILES =
    "time,event,node,elevation,void_ratio,solid_content,effective_stress,pore_pressure,"
    "excess_pore_pressure,permeability,shrinkage_factor\n"
    "0,start,1,0,11.09,0.19,0,111.5,13.4,0.0103,1\n"
    "0,start,2,5,11.09,0.19,0,55.7,6.7,0.0103,1\n"
    "0,start,3,10,11.09,0.19,0,0,0,0.0103,1\n"
    "10,output,1,0,10.5,0.2,0.4,111,13,0.0083,1\n"
    "10,output,2,4.99,11.09,0.19,0,55.6,6.6,0.0103,1\n"
    "10,output,3,9.98,11.09,0.19,0,0,0,0.0103,1\n"
    "100,output,1,0,8.2,0.24,1.9,104,11,0.0031,1\n"
    "100,output,2,4.9,10.8,0.2,0.1,54,6.2,0.0092,1\n"
    "100,output,3,9.5,11.09,0.19,0,0,0,0.0103,1\n"
    "1000,output,1,0,5.1,0.34,8,76,7.3,0.00046,1\n"
    "1000,output,2,3.9,7.9,0.25,2.2,38,3.9,0.0027,1\n"
    "1000,output,3,7,11.09,0.19,0,0,0,0.0103,1\n"
    "2000,output,1,0,4.6,0.37,12,66,3.1,0.0003,1\n"
    "2000,output,2,3.2,6.6,0.29,4.5,28,1.4,0.0013,1\n"
    "2000,output,3,6,11.09,0.19,0,0,0,0.0103,1\n"
    "2000,end,1,0,4.6,0.37,12,66,3.1,0.0003,1\n"
    "2000,end,2,3.2,6.6,0.29,4.5,28,1.4,0.0013,1\n"
    "2000,end,3,6,11.09,0.19,0,0,0,0.0103,1\n";

inline const char* const SAMPLE_STEADY =
    "node,elevation,void_ratio,effective_stress,permeability\n"
    "1,0,4.16,13.4,0.00020\n"
    "2,2.5,5.2,4.5,0.00050\n"
    "3,5,11.09,0,0.0103\n";

inline const char* const SAMPLE_CRACKS =
    "time,crack_depth,soil_height,soil_volume,crack_volume,fluid_volume,side_wall_loss,"
    "volume_loss_rate\n"
    "4,0.006,9.98,9.97,0.0001,0.02,0.0004,0.005\n"
    "10,0.04,9.95,9.9,0.002,0.05,0.0015,0.0049\n"
    "100,0.5,9.5,9.2,0.1,0.5,0.01,0.0047\n";

inline report::RunFacts sample_facts() {
  report::RunFacts f;
  f.name = "sample";
  f.answers = {{"A1", {7}},     {"B1", {-0.2}},
               {"C", {6.8e-7}}, {"D", {4}},
               {"Z1", {0.1}},   {"IDES", {2}},
               {"GS", {2.65}},  {"GW", {9.81}},
               {"H0", {10}},    {"OPT", {10, 100, 1000, 2000, 5000}}};
  f.derived = {{"E0", {11.0943}}};
  f.end = {"steady_state_height", "THE TOP REACHED ITS STEADY-STATE HEIGHT", 2000.0, 0, {5000}};
  f.units = {"m", "days", "kPa", "kN/m³", "m/day"};
  return f;
}

inline void write_text(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The sample tables in `dir`: history, profiles and steady state.
inline void write_sample_run(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  write_text(dir / "history.csv", SAMPLE_HISTORY);
  write_text(dir / "profiles.csv", SAMPLE_PROFILES);
  write_text(dir / "steady.csv", SAMPLE_STEADY);
}

}  // namespace slurry1d::test
