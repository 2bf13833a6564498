#pragma once
// Where the test page hands the record of each finished run. Submit returns at once: the run
// and its verdict never wait for a database.

#include <string>

#include "recordstore/TestRecord.h"

class IRunRecordSink {
public:
    virtual ~IRunRecordSink() = default;
    // The bench's name and the operator as set now, for the record being made.
    virtual std::string Station() const = 0;
    virtual std::string OperatorName() const = 0;
    virtual void Submit(TestRecord record) = 0;
};
