#pragma once

#include <string>
#include <vector>

// Entry i of both lists belongs to the same port, in the order the system lists them.
// ports: device paths; descriptions: what the system knows (may be empty).
bool EnumerateSerialPorts(std::vector<std::string>& ports, std::vector<std::string>& descriptions);

// One port's description from what the system reports about it, the known parts joined by
// ", " in this order; empty when nothing is known.
std::string SerialPortDescription(const std::string& description, const std::string& manufacturer,
                                  const std::string& serialNumber);
