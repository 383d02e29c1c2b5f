#include "app/Show.h"

int main(int, char**)
{
    return runShow();
}
