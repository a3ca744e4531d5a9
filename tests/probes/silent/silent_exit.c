/* Ends with status 1 without a word. */
int main(void) { return 1; }
