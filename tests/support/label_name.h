// LabelName: names each row of a table-driven test after its `label` field
// ("missing folder" -> "missing_folder"), so a failure names the behaviour
// rather than a row number.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace kv::testing {

struct LabelName {
  template <typename Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
    std::string name;
    for (const char c : std::string(info.param.label)) {
      name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    }
    return name;
  }
};

}  // namespace kv::testing
