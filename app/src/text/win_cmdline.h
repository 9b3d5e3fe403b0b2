// One Windows command line from an argument vector, quoted so that the
// program's own argument parser gets the vector back unchanged.
#pragma once

#include <string>
#include <vector>

namespace verhulzen {

std::string windows_command_line(const std::vector<std::string>& argv);

}  // namespace verhulzen
