#pragma once
// The commands of dlna-control, each on a device already found. Each
// prints its answer on standard output and returns the exit status; a
// failure is one line on standard error.
#include <string>
#include <vector>

#include "CommandLine.h"
#include "DeviceDirectory.h"

// One line on standard error; exit status 1.
int Fail(const std::string& message);

int ListDevices(const std::vector<FoundDevice>& devices);
int Browse(const FoundDevice& server, const ControlOptions& options);
// play, pause, stop, seek, volume and status.
int DriveRenderer(const FoundDevice& renderer, const ControlOptions& options);
