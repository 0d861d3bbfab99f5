#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zort::bench {

// What a generated form should look like.
struct FormShape
{
    std::size_t checks = 200;
    double failingShare = 0.05; // share of checks whose cached result is greater than 0
    std::uint32_t seed = 1; // the same seed gives the same form
    std::string code = "0606024"; // the P_OKUD value
    std::size_t dataRows = 0; // rows of the data sheets that real forms carry beside the checks
};

// One row of "Data_Adr".
struct Element
{
    std::string id;
    std::string name;
    std::string val;
};

// One row of "T_Check": the check's position, its message and its cached result.
struct Check
{
    int form = 1;
    int section = 1;
    int rule = 1;
    int check = 1;
    std::string name; // a Russian message of about 80 to 150 characters
    double result = 0; // greater than 0 when the check failed
};

// The logical content of a form workbook: its identification, its checks in sheet order and
// the numbers of its data sheets (one per section, rows of dataColumns numbers).
struct FormContent
{
    std::vector<Element> elements;
    std::vector<Check> checks;
    std::size_t failing = 0;
    std::size_t sections = 0;
    std::size_t dataRows = 0;
    static constexpr std::size_t dataColumns = 12;
};

FormContent makeFormContent(const FormShape &shape);

// The shapes the benchmarks use: a small form, a medium one and a large one of about 17 MB,
// whose data sheets bring it to the size of the large forms users check.
FormShape smallForm();
FormShape mediumForm();
FormShape largeForm();

// The forms of a batch as a month's incoming forms vary: 50 to 500 checks, a few clean ones
// and a few of a form code the checker does not accept.
constexpr unsigned batchSize = 200;
FormShape batchForm(unsigned index);

} // namespace zort::bench
