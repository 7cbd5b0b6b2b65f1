// Gives every test program the environment it needs before main() runs, so a test program
// started by hand behaves as it does under ctest. A value already set is kept.
#include <QByteArray>

namespace {
void setDefault(const char* name, const char* value)
{
    if (qEnvironmentVariableIsEmpty(name))
        qputenv(name, QByteArray(value));
}

void setTestEnvironment()
{
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("LC_ALL", "C.UTF-8");
    setDefault("KORVINA_SOURCE_DIR", KORVINA_TEST_SOURCE_DIR);
    setDefault("KORVINA_BUILD_DIR", KORVINA_TEST_BUILD_DIR);
    setDefault("KORVINA_BINARY", KORVINA_TEST_BINARY);
    setDefault("CMAKE_COMMAND", KORVINA_TEST_CMAKE_COMMAND);
}
}

Q_CONSTRUCTOR_FUNCTION(setTestEnvironment)
