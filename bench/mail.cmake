# 1,000 letters by e-mail to an SMTP server on this machine, with and without the PDF,
# against a plain libcurl client sending the same messages to the same server.
find_package(CURL REQUIRED)
set(TINSELWICK_TEST_PYTHON /usr/bin/python3 CACHE FILEPATH "The Python that has python3-aiosmtpd")
add_tinselwick_benchmark(mail_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/MailBench.cpp
  LIBS tinselwick_mail tinselwick_print_qt CURL::libcurl Qt6::Gui)
target_compile_definitions(mail_bench PRIVATE TINSELWICK_TEST_PYTHON="${TINSELWICK_TEST_PYTHON}"
  TINSELWICK_SMTP_SERVER_SCRIPT="${PROJECT_SOURCE_DIR}/tests/mail/smtp_test_server.py")
