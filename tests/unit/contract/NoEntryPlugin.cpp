// A shared library that loads but is no component: it exports no DllGetClassObject.

extern "C" __attribute__((visibility("default"))) int VortanNotAComponent() {
    return 42;
}
