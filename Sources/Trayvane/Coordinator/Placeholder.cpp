// Keeps this library non-empty until its first real file arrives; delete it then.
namespace pellacor::coordinator {
int placeholder() {
    return 0;
}
} // namespace pellacor::coordinator
