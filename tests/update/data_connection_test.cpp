// DataConnection on the host: a connection comes up for http and https
// URLs only, holds the proxy of the environment as it was when it came up,
// refuses a proxy name the handset's record could not hold, and Release
// (or the next Connect) gives it back.
#include "update/data_connection.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/scoped_environment.h"

namespace kv {
namespace {

using testing::ScopedEnvironment;

struct ProxyReport {
  bool ok = false;
  ProxyAccess access = ProxyAccess::kDirect;
  std::optional<std::string> name;
};

ProxyReport QueryOnce(const DataConnection& connection) {
  ProxyReport report{false, ProxyAccess::kProxy, "untouched"};
  report.ok = connection.QueryProxy(report.access, report.name);
  return report;
}

TEST(DataConnection, ComesUpForHttpAndHttpsUrlsOnly) {
  const struct {
    const char* url;
    bool up;
  } rows[] = {{"http://127.0.0.1:8080/avupd/reqver.php?sys=wm", true},
              {"HTTPS://update.example/", true},
              {"", false},
              {"/avupd/reqver.php?sys=wm", false},
              {"ftp://update.example/", false},
              {"file:///etc/passwd", false},
              {"http:/one-slash", false}};
  for (const auto& row : rows) {
    DataConnection connection;
    EXPECT_EQ(connection.Connect(row.url), row.up) << row.url;
    EXPECT_EQ(connection.IsConnected(), row.up) << row.url;
  }
}

TEST(DataConnection, ReleaseAndAFailedConnectLeaveNoConnection) {
  DataConnection connection;
  EXPECT_FALSE(connection.IsConnected());
  ASSERT_TRUE(connection.Connect("http://a/"));
  connection.Release();
  EXPECT_FALSE(connection.IsConnected());
  connection.Release();  // a second release gives back nothing
  EXPECT_FALSE(connection.IsConnected());
  ASSERT_TRUE(connection.Connect("http://a/"));
  EXPECT_FALSE(connection.Connect("gopher://a/"));  // the held one was given back first
  EXPECT_FALSE(connection.IsConnected());
}

TEST(DataConnection, ReportsTheEnvironmentsProxyOrDirect) {
  const struct {
    std::optional<std::string> lower;
    std::optional<std::string> upper;
    ProxyAccess access;
    std::optional<std::string> name;
  } rows[] = {
      {std::nullopt, std::nullopt, ProxyAccess::kDirect, std::nullopt},
      {"", "", ProxyAccess::kDirect, std::nullopt},
      {"http://proxy:3128", std::nullopt, ProxyAccess::kProxy, "http://proxy:3128"},
      {std::nullopt, "proxy:8080", ProxyAccess::kProxy, "proxy:8080"},
      {"lower:1", "upper:2", ProxyAccess::kProxy, "lower:1"},
      {"", "upper:2", ProxyAccess::kProxy, "upper:2"},
      {std::string(255, 'p'), std::nullopt, ProxyAccess::kProxy, std::string(255, 'p')},
  };
  for (const auto& row : rows) {
    ScopedEnvironment environment;
    environment.WithoutProxies().Set("http_proxy", row.lower).Set("HTTP_PROXY", row.upper);
    DataConnection connection;
    ASSERT_TRUE(connection.Connect("http://update.example/"));
    const ProxyReport report = QueryOnce(connection);
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(report.access, row.access) << row.name.value_or("direct");
    EXPECT_EQ(report.name, row.name);
  }
}

TEST(DataConnection, KeepsTheProxyItCameUpWith) {
  ScopedEnvironment environment;
  environment.WithoutProxies().Set("http_proxy", "first:1");
  DataConnection connection;
  ASSERT_TRUE(connection.Connect("http://update.example/"));
  environment.Set("http_proxy", "second:2");
  EXPECT_EQ(QueryOnce(connection).name, "first:1");
  ASSERT_TRUE(connection.Connect("http://update.example/"));
  EXPECT_EQ(QueryOnce(connection).name, "second:2");
}

TEST(DataConnection, ProxyQueryFailsWithoutAConnectionOrWithAnOverlongName) {
  ScopedEnvironment environment;
  environment.WithoutProxies();
  DataConnection connection;
  ProxyReport report = QueryOnce(connection);
  EXPECT_FALSE(report.ok);
  EXPECT_EQ(report.access, ProxyAccess::kProxy);  // both outputs left as they were
  EXPECT_EQ(report.name, "untouched");

  environment.Set("http_proxy", std::string(256, 'p'));
  ASSERT_TRUE(connection.Connect("http://update.example/"));
  report = QueryOnce(connection);
  EXPECT_FALSE(report.ok);
  EXPECT_EQ(report.name, "untouched");
}

}  // namespace
}  // namespace kv
