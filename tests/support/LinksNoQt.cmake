# Fails when the link closure of TARGET, as found at configure time, holds the Qt libraries QT.
if(QT)
    message(FATAL_ERROR "${TARGET} links ${QT}")
endif()
message("${TARGET} links no Qt")
