// The raw file of every trial: each line reads back to the very floats written; the reader's
// refusals name the file, the line and the column.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "formats/raw_trials.h"
#include "tests/support.h"
#include "toolkit/number_text.h"

namespace {

formats::TrialRecord RandomRecord(std::mt19937& random) {
    // Any bit pattern of a finite non-negative float, so that the shortest texts of tiny,
    // huge and subnormal values are read back too.
    std::uniform_int_distribution<std::uint32_t> bits(0, 0x7F7FFFFF);
    const auto any = [&] { return std::bit_cast<float>(bits(random)); };
    formats::TrialRecord r{std::uniform_int_distribution(2, 100)(random), std::uniform_int_distribution(1, 999)(random)};
    for (int t = 0; t < engine::kTNormCount; ++t) {
        r.d1Closure[t] = any();
        r.d1Transitivized[t] = t == 1 ? r.d1Closure[t] : any();  // a tie: the closure is not farther
        r.d2Closure[t] = any();
        r.d2Transitivized[t] = any();
    }
    return r;
}

TEST(RawTrials, LinesReadBackBitForBitAndRefusalsNameTheFileTheLineAndTheColumn) {
    std::mt19937 random;
    const formats::RawRun runs[] = {{"Zorvath", 4294967295u, true, false, {}}, {"Zorvane", std::nullopt, false, true, {}}};
    for (int i = 0; i < 2000; ++i) {
        const formats::RawRun& run = runs[i % 2];
        const formats::TrialRecord record = RandomRecord(random);
        const std::string line = formats::RawLine(run, record);
        formats::RawRun readRun;
        formats::TrialRecord read;
        formats::ParseRawLine(line, readRun, read);
        ASSERT_EQ(readRun, run) << line;
        ASSERT_TRUE(read == record) << line;  // no -0 among the floats drawn: == is bit for bit here
    }
    formats::RawRun negativeZeroRun;
    formats::TrialRecord negativeZero;  // "-0" is a distance of 0, as the writer puts it
    formats::ParseRawLine("Zorvane,,0,1,7,3,-0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", negativeZeroRun, negativeZero);
    EXPECT_FALSE(std::signbit(negativeZero.d1Closure[0]));
    const test_support::ScratchDir dir("raw_trials");
    const std::string header(formats::kRawHeader);
    const std::string good = "Zorvane,5,0,0,3,1,1,0.5,0,0,0,0,1,0.5,0,0,0,0,1,0,0";
    const std::pair<std::string, std::string> cases[] = {
        {"", "está vacío"},
        {header + "\n", "no tiene ningún ensayo"},
        {"a,b\n" + good + "\n", "no es un fichero de ensayos"},
        {header + "\n" + good + ",1\n", "la línea 2 no vale: tiene más de 21 columnas"},
        {header + "\n" + good + "\nZorvane,5,0\n", "la línea 3 no vale: tiene 3 columnas en vez de 21"},
        {header + "\n" + "Otro" + good.substr(7) + "\n", "la columna «programa» no es Zorvath ni Zorvane"},
        {header + "\nZorvane,5,0,0,3,1,nan,0.5,0,0,0,0,1,0.5,0,0,0,0,1,0,0\n",
         "la columna «d1_cierre_min» no es un número finito"},
        {header + "\nZorvane,5,0,0,3,1,1,0.5,0,0,0,0,1e39,0.5,0,0,0,0,1,0,0\n",
         "la columna «d2_cierre_min» no es un número finito"},
        {header + "\nZorvane,5,0,0,3,1,1,0.5,0,0,0,0,1,0;5,0,0,0,0,1,0,0\n",
         "la columna «d2_transitivizada_min» no es un número"},
        {header + "\nZorvane,5,0,0,3,1,-1,0.5,0,0,0,0,1,0.5,0,0,0,0,1,0,0\n", "«d1_cierre_min» es negativa"},
        {header + "\nZorvane,5,0,0,5001,1,1,0.5,0,0,0,0,1,0.5,0,0,0,0,1,0,0\n",
         "«dimension» no es un entero entre 2 y 5000"},
        {header + "\nZorvane,5,0,0,3,1,1,0.5,0,0,0,0,1,0.5,0,0,0,0,0,0,0\n",
         "«cierre_mas_lejos_min» no concuerda con las distancias d1"},
        {header + "\n" + good + "\nZorvane,6,0,0,3,2,1,0.5,0,0,0,0,1,0.5,0,0,0,0,1,0,0\n", "la línea 3 es de otra ejecución"},
        {header + "\n" + good + std::string(70000, '0') + "\n", "la línea 2 es demasiado larga"},
        {std::string("\xff\xfe\x00", 3), "no es un fichero de ensayos"},
    };
    for (const auto& [bytes, reason] : cases) {
        std::ofstream(dir / "f.csv", std::ios::binary) << bytes;
        const std::string message =
            test_support::ErrorText([&] { formats::ReadRawFile(dir / "f.csv", [](const formats::TrialRecord&) {}); });
        EXPECT_EQ(message.rfind("No se ha podido leer el fichero «" + (dir / "f.csv").string() + "»: ", 0), 0) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message << "\n" << reason;
    }
    // A folder and a FIFO are refused without reading (nor waiting on) them.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const auto& [name, reason] : {std::pair{"", "es una carpeta"}, std::pair{"fifo", "no es un fichero normal"}})
        EXPECT_NE(test_support::ErrorText([&] { formats::ReadRawFile(dir / name, [](const formats::TrialRecord&) {}); })
                      .find(reason), std::string::npos) << reason;
    // CR LF line ends and a last line without its line end are still complete lines.
    std::ofstream(dir / "f.csv", std::ios::binary) << header << "\r\n" << good << "\r\n" << good;
    int read = 0;
    formats::ReadRawFile(dir / "f.csv", [&](const formats::TrialRecord&) { ++read; });
    EXPECT_EQ(read, 2);
}

std::vector<std::string> SplitAtCommas(std::string_view text) {
    std::vector<std::string> fields(1);
    for (const char c : text)
        if (c == ',') fields.emplace_back();
        else fields.back().push_back(c);
    return fields;
}

// Each column, found by its header name, holds what the engine computed for the trial: the
// reader is left out, as it would share a mix-up with the writer.
TEST(RawTrials, EachColumnUnderItsNameHoldsTheEnginesValue) {
    engine::Engine e(engine::kZorvath);
    e.dimension = 6;
    const auto distinct = [&] {
        std::set<float> all;
        for (const auto* d : {&e.results.d1Closure, &e.results.d1Transitivized, &e.results.d2Closure, &e.results.d2Transitivized})
            all.insert(d->begin(), d->end());
        return all.size() == 12;
    };
    do e.RunTrial();
    while (!distinct() && e.trialCount < 100);
    ASSERT_TRUE(distinct());
    const engine::Analysis& a = e.results;
    const std::vector<std::string> names = SplitAtCommas(formats::kRawHeader),
                                   fields = SplitAtCommas(formats::RawLine({"Zorvath", 77u, false, true, {}},
                                                                           formats::RecordOf(6, e.trialCount, a)));
    ASSERT_EQ(fields.size(), names.size());
    std::map<std::string, std::string> expected = {{"programa", "Zorvath"}, {"semilla", "77"}, {"reflexiva", "0"},
                                                   {"simetrica", "1"}, {"dimension", "6"},
                                                   {"prueba", std::to_string(e.trialCount)}};
    const char* const tnorms[] = {"min", "prod", "w"};
    for (int t = 0; t < engine::kTNormCount; ++t) {
        const auto text = [](float d) { return toolkit::FloatToShortestStr(d, '.'); };
        const std::string s = tnorms[t];
        expected["d1_cierre_" + s] = text(a.d1Closure[t]);
        expected["d1_transitivizada_" + s] = text(a.d1Transitivized[t]);
        expected["d2_cierre_" + s] = text(a.d2Closure[t]);
        expected["d2_transitivizada_" + s] = text(a.d2Transitivized[t]);
        expected["cierre_mas_lejos_" + s] = a.d1Closure[t] > a.d1Transitivized[t] ? "1" : "0";
    }
    ASSERT_EQ(expected.size(), names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        ASSERT_TRUE(expected.contains(names[k])) << names[k];
        EXPECT_EQ(fields[k], expected[names[k]]) << names[k];
    }
}

}  // namespace

// Columns of other t-norms and of the lowering methods after the program's: named as the
// header says, read back, and refused with the column's name.
TEST(RawTrials, ExtraColumnsAreNamedReadBackAndChecked) {
    using Kind = formats::ExtraColumn::Kind;
    const std::pair<std::string, std::optional<formats::ExtraColumn>> names[] = {
        {"d1_cierre_hamacher_0.5", formats::ExtraColumn{Kind::D1, "cierre", "hamacher_0.5"}},
        {"d2_completada_prod", formats::ExtraColumn{Kind::D2, "completada", "prod"}},
        {"cierre_mas_lejos_frank_2", formats::ExtraColumn{Kind::ClosureFarther, "", "frank_2"}},
        {"d1_transitivizada_schweizer-sklar_-1", formats::ExtraColumn{Kind::D1, "transitivizada", "schweizer-sklar_-1"}},
        {"d1_cierre_", std::nullopt},
        {"d1_otro_min", std::nullopt},
        {"d3_cierre_min", std::nullopt},
        {"d1_cierre_hamacher_-1", std::nullopt},  // outside the family's range
        {"d1_cierre_nadie", std::nullopt},
        {"cierre_mas_lejos_", std::nullopt},
    };
    for (const auto& [name, column] : names) {
        EXPECT_EQ(formats::ParseExtraColumn(name), column) << name;
        if (column) {
            EXPECT_EQ(column->Name(), name);
        }
    }

    const std::vector<formats::ExtraColumn> extras = {
        {Kind::D1, "cierre", "hamacher_0.5"}, {Kind::D1, "transitivizada", "hamacher_0.5"},
        {Kind::ClosureFarther, "", "hamacher_0.5"}, {Kind::D2, "completada", "min"}};
    const formats::RawRun run{"Zorvath", 3u, false, false, extras};
    std::mt19937 random(5);
    formats::TrialRecord record = RandomRecord(random);
    record.extras = {2.5f, 1e-30f, 1.0f, 7.125f};
    const std::string line = formats::RawLine(run, record);
    EXPECT_TRUE(line.ends_with(",2.5,1e-30,1,7.125")) << line;
    formats::RawRun readRun{"", {}, false, false, extras};
    formats::TrialRecord read;
    formats::ParseRawLine(line, readRun, read);
    EXPECT_TRUE(readRun == run && read == record) << line;

    const test_support::ScratchDir dir("raw_extras");
    const std::string header = formats::RawHeader(extras);
    const std::string wrongFlag = line.substr(0, line.rfind(",1,")) + ",0,7.125";
    const std::pair<std::string, std::string> refused[] = {
        {header + "\n" + wrongFlag + "\n", "la línea 2 no vale: la columna «cierre_mas_lejos_hamacher_0.5» no concuerda"},
        {header + "\n" + line.substr(0, line.rfind(',')) + "\n", "tiene 24 columnas en vez de 25"},
        {header + ",d1_otro_min\n" + line + "\n", "la cabecera nombra una columna desconocida, «d1_otro_min»"},
        {header + ",d2_completada_min\n" + line + "\n", "nombra dos veces la columna «d2_completada_min»"},
        {std::string(formats::kRawHeader) + "x\n", "no es un fichero de ensayos"},
    };
    for (const auto& [bytes, reason] : refused) {
        std::ofstream(dir / "f.csv", std::ios::binary) << bytes;
        const std::string message =
            test_support::ErrorText([&] { formats::ReadRawFile(dir / "f.csv", [](const formats::TrialRecord&) {}); });
        EXPECT_NE(message.find(reason), std::string::npos) << message << "\n" << reason;
    }
    std::ofstream(dir / "f.csv", std::ios::binary) << header << "\n" << line << "\n";
    std::vector<formats::ExtraColumn> seen;
    std::vector<formats::TrialRecord> trials;
    const formats::RawRun whole = formats::ReadRawFile(
        dir / "f.csv", [&](const formats::TrialRecord& r) { trials.push_back(r); },
        [&](const std::vector<formats::ExtraColumn>& columns) { seen = columns; });
    EXPECT_EQ(seen, extras);
    EXPECT_TRUE(whole == run && trials.size() == 1 && trials[0] == record);
}
