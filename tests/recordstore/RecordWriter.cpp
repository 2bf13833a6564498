// A bench writing records, for the tests that run two at once:
//   record-writer LOCATION SPOOL COUNT TAG
// writes COUNT records (IMEI TAG-n) through RecordDelivery and exits 0 when every one was
// stored in LOCATION, 1 otherwise (with the reason on stderr).

#include "recordstore/RecordDelivery.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: record-writer LOCATION SPOOL COUNT TAG\n");
        return 2;
    }
    const StoreLocationParse location = ParseStoreLocation(argv[1]);
    if (!location.location) {
        std::fprintf(stderr, "record-writer: %s\n", location.error.c_str());
        return 2;
    }
    RecordDelivery delivery(*location.location, argv[2]);
    const int count = std::atoi(argv[3]);
    int failed = 0;
    for (int n = 0; n < count; ++n) {
        TestRecord record;
        record.startedAt = IsoUtc(std::chrono::system_clock::now());
        record.finishedAt = record.startedAt;
        record.station = argv[4];
        record.imei = std::string(argv[4]) + "-" + std::to_string(n);
        record.verdict = n % 3 == 0 ? RecordVerdict::Fail : RecordVerdict::Pass;
        record.source = RecordSource::Cli;
        const RecordDelivery::Result result = delivery.Record(record);
        if (!result.stored) {
            ++failed;
            std::fprintf(stderr, "record-writer: %s not stored: %s\n", record.imei.c_str(),
                         result.status.message.c_str());
        }
    }
    return failed == 0 ? 0 : 1;
}
