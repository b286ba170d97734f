// Every constant, record size and interface identifier of our ddraw.h and d3d.h against the real
// headers' (mingw-w64's), name by name: a program built here must see the values it would see on
// Windows.
#include <gtest/gtest.h>

#include <d3d.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Named {
    const char* name;
    uint64_t value;
};

#define HEADER_CONSTANT(name) {#name, static_cast<uint32_t>(name)},
#define HEADER_RECORD(name)
#define HEADER_IDENTIFIER(name)
const Named ourConstants[] = {
#include "headernames.inc"
};
#undef HEADER_CONSTANT
#undef HEADER_RECORD
#define HEADER_CONSTANT(name)
#define HEADER_RECORD(name) {#name, sizeof(name)},
const Named ourRecordSizes[] = {
#include "headernames.inc"
};
#undef HEADER_RECORD
#undef HEADER_IDENTIFIER
#define HEADER_RECORD(name)
#define HEADER_IDENTIFIER(name) {#name, &name},
const struct {
    const char* name;
    const GUID* value;
} ourIdentifiers[] = {
#include "headernames.inc"
};

// What the real headers give: numbers per kind and name, and any errors met reading them.
struct RealValues {
    std::map<std::string, std::map<std::string, std::vector<int64_t>>> byKind;
    std::vector<std::string> errors;

    RealValues() {
        std::ifstream file(REAL_VALUES_FILE);
        if (!file) errors.push_back(std::string("cannot read ") + REAL_VALUES_FILE);
        for (std::string line; std::getline(file, line);) {
            std::istringstream fields(line);
            std::string kind, name;
            fields >> kind;
            if (kind == "ERROR") {
                errors.push_back(line.substr(6));
                continue;
            }
            fields >> name;
            std::vector<int64_t>& numbers = byKind[kind][name];
            for (int64_t number; fields >> number;) numbers.push_back(number);
        }
    }
    const std::vector<int64_t>* Find(const char* kind, const char* name) const {
        auto names = byKind.find(kind);
        if (names == byKind.end()) return nullptr;
        auto found = names->second.find(name);
        return found == names->second.end() ? nullptr : &found->second;
    }
};

const RealValues& Real() {
    static const RealValues real;
    return real;
}

TEST(RealHeaders, AreReadWithoutErrors) {
    for (const std::string& error : Real().errors) ADD_FAILURE() << error;
    // The lists come from our headers; a broken extraction would leave them nearly empty.
    EXPECT_GT(std::size(ourConstants), 150u);
    EXPECT_GT(std::size(ourRecordSizes), 10u);
    EXPECT_GT(std::size(ourIdentifiers), 5u);
}

TEST(RealHeaders, EveryConstantHasTheRealValue) {
    ASSERT_TRUE(Real().errors.empty()) << "the real headers could not be read";
    for (const Named& constant : ourConstants) {
        const std::vector<int64_t>* real = Real().Find("CONSTANT", constant.name);
        if (!real || real->size() != 1) {
            ADD_FAILURE() << constant.name << " is not in the real headers";
            continue;
        }
        EXPECT_EQ(constant.value, static_cast<uint32_t>(real->front()))
            << constant.name << ": ours 0x" << std::hex << constant.value << ", real 0x"
            << static_cast<uint32_t>(real->front());
    }
}

TEST(RealHeaders, EveryRecordHasTheRealSize) {
    ASSERT_TRUE(Real().errors.empty()) << "the real headers could not be read";
    for (const Named& record : ourRecordSizes) {
        const std::vector<int64_t>* real = Real().Find("SIZE", record.name);
        ASSERT_TRUE(real && real->size() == 1) << record.name << " is not in the real headers";
        EXPECT_EQ(record.value, static_cast<uint64_t>(real->front())) << record.name;
    }
}

TEST(RealHeaders, EveryInterfaceIdentifierHasTheRealValue) {
    ASSERT_TRUE(Real().errors.empty()) << "the real headers could not be read";
    for (const auto& identifier : ourIdentifiers) {
        const std::vector<int64_t>* real = Real().Find("GUID", identifier.name);
        ASSERT_TRUE(real && real->size() == 11) << identifier.name << " is not in the real headers";
        GUID expected;
        expected.Data1 = static_cast<uint32_t>((*real)[0]);
        expected.Data2 = static_cast<uint16_t>((*real)[1]);
        expected.Data3 = static_cast<uint16_t>((*real)[2]);
        for (int i = 0; i < 8; ++i) expected.Data4[i] = static_cast<uint8_t>((*real)[3 + i]);
        EXPECT_EQ(std::memcmp(identifier.value, &expected, sizeof expected), 0) << identifier.name;
    }
}

}  // namespace
