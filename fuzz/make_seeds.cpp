// Writes the generated fuzz seeds into the folder given: small compound documents built by the
// test-side writer, valid ones and one of each fault, so that the fuzzers start from every
// container shape. Run after changing the writer: make_fuzz_seeds fuzz/seeds
#include "CompoundFileWriter.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace zort::test;

namespace {

// The smallest BIFF8 workbook globals: BOF, then EOF.
std::vector<std::byte> minimalBiff8()
{
    const unsigned char records[] = {
            0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, // BOF
            0x00, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, //
            0x0A, 0x00, 0x00, 0x00, // EOF
    };
    std::vector<std::byte> out;
    for (unsigned char b : records)
        out.push_back(std::byte(b));
    return out;
}

std::vector<std::byte> filler(std::size_t size)
{
    std::vector<std::byte> out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[i] = std::byte(static_cast<unsigned char>(i * 7));
    return out;
}

void write(const std::filesystem::path &folder, const std::string &name,
           const std::vector<std::byte> &bytes)
{
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + (folder / name).string());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_seeds FOLDER\n";
        return 64;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto biff = minimalBiff8();
    auto withFault = [&](CompoundFault fault) {
        CompoundFileOptions o;
        o.fault = fault;
        return buildCompoundFile({{"Workbook", filler(4600)}, {"Small", filler(200)}}, o);
    };
    CompoundFileOptions large;
    large.largeSectors = true;
    CompoundFileOptions difat;
    difat.headerDifatSlots = 0;

    write(folder, "cfb-mini-workbook.xls",
          buildCompoundFile({{"Workbook", biff}, {"\x05SummaryInformation", filler(120)}}));
    write(folder, "cfb-book-stream.xls", buildCompoundFile({{"Book", biff}}));
    write(folder, "cfb-regular-streams.xls",
          buildCompoundFile({{"Workbook", filler(4700)}, {"Other", filler(70)}}));
    write(folder, "cfb-4096-sectors.xls", buildCompoundFile({{"Workbook", biff}}, large));
    write(folder, "cfb-difat.xls", buildCompoundFile({{"Workbook", filler(5000)}}, difat));
    write(folder, "cfb-storage.xls",
          buildCompoundFile({{"Workbook", biff}, {"_VBA_PROJECT_CUR/VBA", filler(90)}}));
    write(folder, "cfb-fat-cycle.xls", withFault(CompoundFault::FatCycle));
    write(folder, "cfb-directory-cycle.xls", withFault(CompoundFault::DirectoryCycle));
    write(folder, "cfb-minifat-cycle.xls", withFault(CompoundFault::MiniFatCycle));
    return 0;
}
