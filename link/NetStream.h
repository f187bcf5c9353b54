// A byte stream over TCP, plain or TLS (OpenSSL through asio::ssl), behind one small interface,
// so the code that frames packets on it (the table server's connections, a network client,
// the load generator) is the same for both. Everything is asynchronous on the caller's
// io_context; nothing here throws: errors come back as error codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

#include <asio.hpp>
#include <asio/ssl.hpp>

class CNetStream {
 public:
  using IoHandler = std::function<void(const std::error_code&, size_t)>;
  using DoneHandler = std::function<void(const std::error_code&)>;

  // A plain stream on a connected (or yet to connect) socket.
  explicit CNetStream(asio::ip::tcp::socket socket);
  // A TLS stream on the socket, with the context's certificates and checks; Handshake first.
  CNetStream(asio::ip::tcp::socket socket, asio::ssl::context& context);
  CNetStream(const CNetStream&) = delete;
  CNetStream& operator=(const CNetStream&) = delete;

  bool Tls() const { return m_tls != nullptr; }
  asio::ip::tcp::socket& Socket();

  // The TLS handshake (at once done for a plain stream). A client names the server it expects
  // (for SNI and the certificate's host check; empty: no host check).
  void Handshake(bool server, const std::string& host, DoneHandler done);
  // Reads what has arrived, at least one byte.
  void ReadSome(uint8_t* data, size_t size, IoHandler done);
  // Writes all of the bytes, which must stay put until done is called.
  void Write(const uint8_t* data, size_t size, IoHandler done);
  // Closes the socket at once (no TLS goodbye, which could wait on the peer); pending
  // operations end with an error.
  void Close();

 private:
  std::unique_ptr<asio::ip::tcp::socket> m_plain;
  std::unique_ptr<asio::ssl::stream<asio::ip::tcp::socket>> m_tls;
};

// A server's TLS context from a certificate chain and a private key (PEM files); false with
// the reason when either cannot be loaded.
bool MakeServerTlsContext(asio::ssl::context& context, const std::string& certFile,
                          const std::string& keyFile, std::string& error);
// A client's TLS context that verifies the server against the CA file (PEM), or against the
// system's store when caFile is empty.
bool MakeClientTlsContext(asio::ssl::context& context, const std::string& caFile,
                          std::string& error);
