// Game-link server speed on one loopback connection: ObrelSdk::WebSocketServer
// against a plain websocketpp server set up like the library's echo example,
// whose handler just hands the payload on. Both see the same client.
//
//   websocket_bench RESULT_FILE PORT [MESSAGES]
// The servers' logs go to stdout/stderr; the figures go to RESULT_FILE.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <websocketpp/client.hpp>
#include <websocketpp/config/asio_no_tls.hpp>
#include <websocketpp/config/asio_no_tls_client.hpp>
#include <websocketpp/server.hpp>

#include "sdk/web_socket_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using Client = websocketpp::client<websocketpp::config::asio_client>;
using PlainServer = websocketpp::server<websocketpp::config::asio>;

const std::string kPath = "/vyrn/harrowen";

// What a server's message callback reports to the client side.
struct Arrivals {
  std::atomic<uint64_t> count{0};
  std::atomic<int64_t> lastNanos{0};
  void arrived() {
    lastNanos.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    count.fetch_add(1, std::memory_order_release);
  }
};

struct Figures {
  double perSecond = 0;
  double medianMicros = 0;
  double p99Micros = 0;
};

class BenchClient {
 public:
  BenchClient() {
    client_.clear_access_channels(websocketpp::log::alevel::all);
    client_.clear_error_channels(websocketpp::log::elevel::all);
    client_.init_asio();
  }
  bool connect(const std::string& uri) {
    std::promise<bool> opened;
    websocketpp::lib::error_code ec;
    auto connection = client_.get_connection(uri, ec);
    if (ec) return false;
    connection->set_open_handler([&](websocketpp::connection_hdl) { opened.set_value(true); });
    connection->set_fail_handler([&](websocketpp::connection_hdl) { opened.set_value(false); });
    hdl_ = connection->get_handle();
    client_.connect(connection);
    loop_ = std::thread([this] { client_.run(); });
    return opened.get_future().get();
  }
  // Sends on the client's loop thread and waits until it is on its way.
  void send(const std::string& text) {
    std::promise<void> sent;
    client_.get_io_service().post([&] {
      websocketpp::lib::error_code ec;
      client_.send(hdl_, text, websocketpp::frame::opcode::text, ec);
      sent.set_value();
    });
    sent.get_future().wait();
  }
  void sendMany(const std::string& text, int count) {
    client_.get_io_service().post([this, text, count] {
      websocketpp::lib::error_code ec;
      for (int i = 0; i < count; ++i) client_.send(hdl_, text, websocketpp::frame::opcode::text, ec);
    });
  }
  void close() {
    client_.get_io_service().post([this] {
      websocketpp::lib::error_code ec;
      client_.close(hdl_, websocketpp::close::status::normal, "", ec);
    });
    loop_.join();
  }

 private:
  Client client_;
  websocketpp::connection_hdl hdl_;
  std::thread loop_;
};

void waitFor(const Arrivals& arrivals, uint64_t count) {
  while (arrivals.count.load(std::memory_order_acquire) < count) std::this_thread::yield();
}

Figures measure(const std::string& uri, Arrivals& arrivals, int messages) {
  BenchClient client;
  Figures figures;
  if (!client.connect(uri)) return figures;
  const std::string message = R"({"cmd":"pay","param":{"qrcode":"iVBORw0KGgo="}})";

  // Latency: one message in flight at a time.
  std::vector<double> micros;
  for (int i = 0; i < messages / 10; ++i) {
    const uint64_t before = arrivals.count.load();
    const auto start = Clock::now();
    client.send(message);
    waitFor(arrivals, before + 1);
    const auto arrived = Clock::time_point(Clock::duration(arrivals.lastNanos.load()));
    micros.push_back(std::chrono::duration<double, std::micro>(arrived - start).count());
  }
  std::sort(micros.begin(), micros.end());
  figures.medianMicros = micros[micros.size() / 2];
  figures.p99Micros = micros[micros.size() * 99 / 100];

  // Throughput: all at once.
  const uint64_t before = arrivals.count.load();
  const auto start = Clock::now();
  client.sendMany(message, messages);
  waitFor(arrivals, before + messages);
  figures.perSecond = messages / std::chrono::duration<double>(Clock::now() - start).count();
  client.close();
  return figures;
}

Figures benchOurs(uint16_t port, int messages) {
  ObrelSdk::WebSocketServer server;
  Arrivals arrivals;
  server.mMessageCallback = [&](std::string) { arrivals.arrived(); };
  if (!server.listen(port, kPath)) return {};
  std::thread loop([&] { server.runEventLoop(); });
  const Figures figures = measure("ws://127.0.0.1:" + std::to_string(port) + kPath, arrivals, messages);
  server.stop();
  loop.join();
  return figures;
}

Figures benchPlain(uint16_t port, int messages) {
  PlainServer server;
  Arrivals arrivals;
  std::function<void(std::string)> callback = [&](std::string) { arrivals.arrived(); };
  server.set_access_channels(websocketpp::log::alevel::all);
  server.clear_access_channels(websocketpp::log::alevel::frame_payload);
  server.init_asio();
  server.set_reuse_addr(true);
  server.set_message_handler(
      [&](websocketpp::connection_hdl, PlainServer::message_ptr message) { callback(message->get_payload()); });
  websocketpp::lib::error_code ec;
  server.listen(asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), port), ec);
  if (!ec) server.start_accept(ec);
  if (ec) return {};
  std::thread loop([&] { server.run(); });
  const Figures figures = measure("ws://127.0.0.1:" + std::to_string(port) + kPath, arrivals, messages);
  server.stop();
  loop.join();
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: websocket_bench RESULT_FILE PORT [MESSAGES]\n");
    return 2;
  }
  const auto port = static_cast<uint16_t>(std::stoi(argv[2]));
  const int messages = argc > 3 ? std::stoi(argv[3]) : 50000;
  const Figures plain = benchPlain(port, messages);
  const Figures ours = benchOurs(static_cast<uint16_t>(port + 1), messages);
  std::ofstream out(argv[1]);
  out << ours.perSecond << " " << ours.medianMicros << " " << ours.p99Micros << " " << plain.perSecond << " "
      << plain.medianMicros << " " << plain.p99Micros << "\n";
  return ours.perSecond > 0 && plain.perSecond > 0 ? 0 : 1;
}
