# Sourced by the test and play scripts: starts the servers the tests need.
start_test_services() {
  :
}
stop_test_services() {
  :
}
