#include "sdk/web_socket_server.h"

#include <algorithm>
#include <exception>
#include <utility>

#include <websocketpp/config/asio_no_tls.hpp>
#include <websocketpp/server.hpp>

#include "platform/code_page.h"
#include "platform/debug_output.h"

namespace ObrelSdk {
namespace {

using vyrn::platform::debugOutput;
using Server = websocketpp::server<websocketpp::config::asio>;

std::string hexText(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
    text += ' ';
  }
  return text;
}

// A callback that throws must not unwind through the library's event loop.
template <typename Callback, typename... Args>
void callSafely(const Callback& callback, const char* name, Args&&... args) {
  if (!callback) return;
  try {
    callback(std::forward<Args>(args)...);
  } catch (const std::exception& error) {
    debugOutput(std::string("WebSocketServer ") + name + " failed: " + error.what());
  } catch (...) {
    debugOutput(std::string("WebSocketServer ") + name + " failed");
  }
}

}  // namespace

struct WebSocketServer::Endpoint {
  Server server;
};

WebSocketServer::WebSocketServer() : mServer(std::make_unique<Endpoint>()) {
  Server& server = mServer->server;
  server.set_error_channels(websocketpp::log::elevel::all);
  server.set_access_channels(websocketpp::log::alevel::all);
  server.clear_access_channels(websocketpp::log::alevel::frame_payload);
  server.init_asio();
#ifndef _WIN32
  // Lets a restarted server take the port while earlier connections sit in
  // TIME_WAIT. Windows binds over those anyway, and there the option would let
  // another program share the port.
  server.set_reuse_addr(true);
#endif

  using websocketpp::connection_hdl;
  server.set_message_handler([this](connection_hdl hdl, Server::message_ptr message) {
    debugOutput("on_msg_handler, msg->get_payload():" + message->get_payload());
    websocketpp::lib::error_code ec;
    Server::connection_ptr connection = mServer->server.get_con_from_hdl(hdl, ec);
    if (!connection) return;
    std::string text;
    if (message->get_opcode() == websocketpp::frame::opcode::text) {
      text = utf8ToLocalText(message->get_payload());
      debugOutput("on_msg_handler, message:" + text);
    } else {
      text = hexText(message->get_payload());
    }
    if (connection->get_resource() == mResourcePath) callSafely(mMessageCallback, "message callback", std::move(text));
  });
  server.set_open_handler([this](connection_hdl hdl) {
    debugOutput("on_open~~~");
    callSafely(mOpenCallback, "open callback");
  });
  server.set_close_handler([this](connection_hdl hdl) {
    debugOutput("on_close~~~");
    callSafely(mCloseCallback, "close callback");
  });
}

// The process-wide instance is never destroyed (see webSocketServer()).
WebSocketServer::~WebSocketServer() = default;

bool WebSocketServer::listen(uint16_t port, std::string path) {
  debugOutput("WebSocketServer run~~~");
  mResourcePath = std::move(path);
  // Loopback only: the game is told 127.0.0.1, and nobody else may reach it.
  const asio::ip::tcp::endpoint address(asio::ip::address_v4::loopback(), port);
  websocketpp::lib::error_code ec;
  mServer->server.listen(address, ec);
  if (!ec) mServer->server.start_accept(ec);
  if (ec) {
    debugOutput("WebSocketServer cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + ec.message());
    return false;
  }
  return true;
}

void WebSocketServer::runEventLoop() {
  Server& server = mServer->server;
  try {
    server.run();
  } catch (const std::exception& error) {
    debugOutput(std::string("WebSocketServer event loop failed: ") + error.what());
  } catch (...) {
    debugOutput("WebSocketServer event loop failed");
  }
  // Free the port; connections still open stay with the stopped loop.
  websocketpp::lib::error_code ignored;
  if (server.is_listening()) server.stop_listening(ignored);
}

void WebSocketServer::run(uint16_t port, std::string path) {
  if (listen(port, std::move(path))) runEventLoop();
}

void WebSocketServer::stop() { mServer->server.stop(); }

WebSocketServer& webSocketServer() {
  static WebSocketServer* const instance = new WebSocketServer;
  return *instance;
}

namespace {
// Created with the other static objects, before the entry point runs.
[[maybe_unused]] WebSocketServer& gCreatedAtStartUp = webSocketServer();
}  // namespace

std::string utf8ToLocalText(const std::string& utf8) {
  using vyrn::platform::CodePage;
  // The game's messages are mostly ASCII, which both encodings share.
  if (std::all_of(utf8.begin(), utf8.end(), [](char byte) { return static_cast<unsigned char>(byte) < 0x80; }))
    return utf8;
  return vyrn::platform::fromWide(CodePage::Gbk, vyrn::platform::toWide(CodePage::Utf8, utf8));
}

}  // namespace ObrelSdk
