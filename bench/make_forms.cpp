// Writes the forms of the whole-job benchmark into a folder:
//   FOLDER/batch/form_000.xls ... form_199.xls  forms of 50 to 500 checks, about 5% failing
//                                               (a few clean, a few of an unknown form code)
//   FOLDER/large/form_large.xls                 one form of 60,000 checks, about 17 MB
#include "FormContent.h"
#include "FormWriter.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;
using zort::bench::FormShape;

struct Totals
{
    std::size_t files = 0;
    std::size_t bytes = 0;
    std::size_t checks = 0;
    std::size_t failing = 0;
};

void write(const fs::path &path, const FormShape &shape, Totals &totals)
{
    const auto form = zort::bench::makeFormContent(shape);
    const auto bytes = zort::bench::writeForm(form);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    ++totals.files;
    totals.bytes += bytes.size();
    totals.checks += form.checks.size();
    totals.failing += form.failing;
}

void print(const char *what, const Totals &totals)
{
    std::printf("%s: %zu file(s), %zu bytes, %zu checks, %zu failing\n", what, totals.files,
                totals.bytes, totals.checks, totals.failing);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_forms FOLDER\n";
        return 64;
    }
    try {
        const fs::path folder = argv[1];
        fs::create_directories(folder / "batch");
        fs::create_directories(folder / "large");
        Totals batch;
        for (unsigned i = 0; i < zort::bench::batchSize; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "form_%03u.xls", i);
            write(folder / "batch" / name, zort::bench::batchForm(i), batch);
        }
        print("batch", batch);
        Totals large;
        write(folder / "large" / "form_large.xls", zort::bench::largeForm(), large);
        print("large", large);
    } catch (const std::exception &e) {
        std::cerr << "make_forms: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
