#include "devicetest/LoadParameterFile.h"

#include "device/JoinedTextFile.h"

LoadParameterFileResult LoadParameterFile(const std::filesystem::path& path,
                                          ExpectedParameters& expected) {
    JoinedTextFile file = ReadJoinedTextFile(path);
    if (!file.ok) {
        return {false, std::move(file.error)};
    }
    expected = ParseParameterText(file.text);
    return {true, {}};
}
