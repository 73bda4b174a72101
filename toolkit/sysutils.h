// Run-time library: exceptions, and (below) text, number and file helpers.
#pragma once

#include <stdexcept>
#include <string>

// Base of every exception the toolkit and the program raise; Message is the text shown to
// the user by the application's error handler.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

#define TK_EXCEPTION(Name, Base)                             \
  class Name : public Base {                                 \
   public:                                                   \
    using Base::Base;                                        \
    const char* ClassName() const override { return #Name; } \
  };

TK_EXCEPTION(EConvertError, Exception)
