// A program with nothing of its own: what the runtime's start-up alone imports.
int main() { return 0; }
