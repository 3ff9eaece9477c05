#include "framework/resources/TunableNumber.h"

bool ParseTunableNumber(const char* text, double& out)
{
    out = 0.0;
    if (text == nullptr) {
        return false;
    }
    const char* p = text;
    const bool negative = *p == '-';
    if (negative) {
        ++p;
    }
    while (*p >= '0' && *p <= '9') {
        out = out * 10.0 + (*p - '0');
        ++p;
    }
    if (*p == '.') {
        ++p;
        double weight = 0.1;
        while (*p >= '0' && *p <= '9') {
            out += weight * (*p - '0');
            weight /= 10.0;
            ++p;
        }
    }
    const bool closed = *p == ')' || (*p == 'f' && p[1] == ')');
    if (!closed) {
        out = 0.0;
        return false;
    }
    if (negative) {
        out = -out;
    }
    return true;
}
