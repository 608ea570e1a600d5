// The workbook's texts as another program reads them: a name that is not UTF-8 and a text
// longer than a cell holds, as a merge of hundreds of replicates gives, make a well-formed
// workbook (read by Python's zip and XML modules) instead of a failed merge.

#include "formats/workbook.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support.h"

namespace {

TEST(Workbook, TextsThatAreNotUtf8OrTooLongForACellAreShownValidAndCutWithANote) {
    const test_support::ScratchDir dir("workbook");
    formats::TrialSummary summary;
    formats::TrialRecord record{2, 1};
    summary.Add(record);
    std::string names;
    for (int k = 0; k < 800; ++k) names += "ensayos-de-una-replica-con-un-nombre-largo-" + std::to_string(k) + "\xfd.csv, ";
    const formats::RunFacts facts = {{"Ficheros reunidos", names}, {"Segundos", "0.25"}};
    const auto path = dir / "libro.xlsx";
    formats::WriteWorkbook(path, summary, false, 2, facts);
    const std::string check =
        std::string(PYTHON3) + " -c \"import sys, zipfile, xml.etree.ElementTree as E; "
        "z = zipfile.ZipFile(sys.argv[1]); "
        "t = [''.join(x.itertext()) for x in E.fromstring(z.read('xl/sharedStrings.xml'))]; "
        "long = [s for s in t if s.startswith('ensayos')][0]; "
        "assert 32000 < len(long) <= 32767 and long.endswith('caracteres)') and '\\ufffd.csv' in long, len(long); "
        "[E.fromstring(z.read(n)) for n in z.namelist() if n.endswith('.xml')]\" " +
        path.string();
    EXPECT_EQ(std::system(check.c_str()), 0);
}

}  // namespace
