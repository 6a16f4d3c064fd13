#include "gui/app/startup.h"

int main(int argc, char** argv) { return vox::run_voxtrel(argc, argv); }
