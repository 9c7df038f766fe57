#include <gtest/gtest.h>

#include "platform/net/FormEncoder.h"

namespace tq {
namespace {

struct FormCase {
    const char* name;
    FormObject fields;
    std::string expected;
};

class FormEncoderTest : public testing::TestWithParam<FormCase> {};

TEST_P(FormEncoderTest, EncodesAsTheServiceExpects) { EXPECT_EQ(encodeForm(GetParam().fields), GetParam().expected); }

const FormCase kCases[] = {
    {"UpdateCheckOfOneTour",
     {{"tours", FormValue::List{FormValue::Object{{"id", "418"}, {"date", "2024-03-18 09:41:07"}}}}},
     "tours%5B%5D%5Bdate%5D=2024-03-18%2009%3A41%3A07&tours%5B%5D%5Bid%5D=418"},
    {"PairsSortedByWholeEscapedPair", {{"b", "2"}, {"a", "z"}, {"a2", "1"}}, "a2=1&a=z&b=2"},
    {"AbsentValuesLeftOutWithTheirKey",
     {{"kept", "1"}, {"gone", FormValue::absent()}, {"list", FormValue::List{FormValue::absent(), "x"}}},
     "kept=1&list%5B%5D=x"},
    {"EmptyListAndObjectGiveNothing", {{"list", FormValue::List{}}, {"object", FormValue::Object{}}}, ""},
    {"NestedFieldsAppendedInBrackets",
     {{"user", FormValue::Object{{"name", "Zoé"}, {"address", FormValue::Object{{"city", "Québec"}}}}}},
     "user%5Baddress%5D%5Bcity%5D=Qu%C3%A9bec&user%5Bname%5D=Zo%C3%A9"},
    {"ListOfListsRepeatsBrackets", {{"grid", FormValue::List{FormValue::List{"a"}}}}, "grid%5B%5D%5B%5D=a"},
    {"ReservedCharactersEscaped", {{"q", ":#[]@!$&'()*+,;= "}}, "q=%3A%23%5B%5D%40%21%24%26%27%28%29%2A%2B%2C%3B%3D%20"},
    {"UnreservedCharactersKept", {{"path", "a-b.c_d~e/f?g"}}, "path=a-b.c_d~e/f?g"},
    {"EmptyTextIsSent", {{"date", ""}, {"id", "7"}}, "date=&id=7"},
};

INSTANTIATE_TEST_SUITE_P(Cases, FormEncoderTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FormCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tq
