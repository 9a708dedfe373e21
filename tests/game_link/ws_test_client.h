#pragma once
// A blocking WebSocket client on websocketpp for the game-link tests and the
// fake game: connect, send frames, close with the handshake or drop the
// socket. The library's event loop runs on a thread of its own.

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include <websocketpp/client.hpp>
#include <websocketpp/config/asio_no_tls_client.hpp>

namespace vyrn::test {

class WsTestClient {
 public:
  using Client = websocketpp::client<websocketpp::config::asio_client>;

  WsTestClient() {
    client_.clear_access_channels(websocketpp::log::alevel::all);
    client_.clear_error_channels(websocketpp::log::elevel::all);
    client_.init_asio();
    client_.start_perpetual();
    loop_ = std::thread([this] { client_.run(); });
  }
  ~WsTestClient() {
    client_.stop_perpetual();
    client_.stop();
    loop_.join();
  }
  WsTestClient(const WsTestClient&) = delete;
  WsTestClient& operator=(const WsTestClient&) = delete;

  // True once the handshake has completed; false if refused or failed.
  bool connect(const std::string& uri, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    auto opened = std::make_shared<std::promise<bool>>();
    websocketpp::lib::error_code ec;
    Client::connection_ptr connection = client_.get_connection(uri, ec);
    if (ec) return false;
    connection->set_open_handler([opened](websocketpp::connection_hdl) { opened->set_value(true); });
    connection->set_fail_handler([opened](websocketpp::connection_hdl) { opened->set_value(false); });
    connection->set_close_handler([this](websocketpp::connection_hdl) { closed_.set_value(); });
    hdl_ = connection->get_handle();
    std::future<bool> result = opened->get_future();
    client_.get_io_service().post([this, connection] { client_.connect(connection); });
    return result.wait_for(timeout) == std::future_status::ready && result.get();
  }

  bool sendText(const std::string& text) { return send(text, websocketpp::frame::opcode::text); }
  bool sendBinary(const std::string& bytes) { return send(bytes, websocketpp::frame::opcode::binary); }

  // Close handshake; true when the connection has closed within the timeout.
  bool close(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    client_.get_io_service().post([this] {
      websocketpp::lib::error_code ignored;
      client_.close(hdl_, websocketpp::close::status::normal, "", ignored);
    });
    return closed_.get_future().wait_for(timeout) == std::future_status::ready;
  }

 private:
  // Runs on the client's loop thread, which owns the socket.
  bool send(const std::string& payload, websocketpp::frame::opcode::value opcode) {
    auto sent = std::make_shared<std::promise<bool>>();
    client_.get_io_service().post([this, sent, payload, opcode] {
      websocketpp::lib::error_code ec;
      client_.send(hdl_, payload, opcode, ec);
      sent->set_value(!ec);
    });
    return sent->get_future().get();
  }

  Client client_;
  std::thread loop_;
  websocketpp::connection_hdl hdl_;
  std::promise<void> closed_;
};

}  // namespace vyrn::test
