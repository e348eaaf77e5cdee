// A Qt-free folder that breaks the rule, for the check's own test.
#include <QString>
