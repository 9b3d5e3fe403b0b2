// The desktop program from its first step to its last: start-up, showing the
// page, and the clean-up after it.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "shell/config.h"

namespace verhulzen {

// Runs the program with the process's arguments (program path first) and
// returns its exit status.
int main_flow(const Config& config, const std::vector<std::string>& args);

// Tells the user something in a modal message box with the product name as
// caption; without one, the text goes to standard error. Returns the button.
int _melding(const std::string& tekst);

// Steps of the flow on their own, for the tests.

// Creates the data folder for this user alone, takes over the office list and the
// status file of the earlier one, and refuses (platform::UnsafeLocation) a data
// folder or file that others could change.
void datamap_inrichten(const Config& config);

// Copies the office list of the unpackaged data folder once into the data
// folder of a process that runs from a package.
void kantoorlijst_overnemen(const Config& config);

// Runs the update check on a thread of its own and waits for it at most
// `grens`; a check that takes longer goes on alone.
void wacht_op_updatecontrole(std::function<void()> controle, std::chrono::milliseconds grens);

// The instance record by which a later start finds this one.
std::string instance_record(std::uint32_t pid, int port, const std::filesystem::path& profiel);

// The serving time of the windowless run: decimal seconds, blanks around them
// allowed. Throws std::invalid_argument for anything else.
std::chrono::duration<double> looptijd(const std::string& tekst);

}  // namespace verhulzen
